#pragma once

#include <QListWidget>

namespace form {

// A list box of plain text items, in the order they were added. Once an item
// is selected, one always is: the user can move the selection but never clear
// it.
class ListBox : public QListWidget {
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    // The selected item's index, 0-based; -1 when nothing is selected.
    int listIndex() const { return currentRow(); }
    void setListIndex(int index);

    QString list(int index) const;
    int listCount() const { return count(); }

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
};

} // namespace form
