#pragma once

#include <QListWidget>

namespace form {

// A list box of plain text items, in the order they were added. Once an item
// is selected, one always is: the user can move the selection but never clear
// it. With the keyboard on it, a frame runs round the items, and a screen
// reader hears which one is selected.
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
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
};

} // namespace form
