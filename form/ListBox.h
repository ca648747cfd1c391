#pragma once

#include <QListWidget>

namespace form {

// A list box of plain text items, in the order they were added.
class ListBox : public QListWidget {
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    // The selected item's index, 0-based; -1 when nothing is selected.
    int listIndex() const { return currentRow(); }
    void setListIndex(int index);

    QString list(int index) const;
    int listCount() const { return count(); }
};

} // namespace form
