#include "form/ListBox.h"

#include "form/RuntimeError.h"

namespace form {

ListBox::ListBox(QWidget *parent)
    : QListWidget(parent) {
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
}

void ListBox::setListIndex(int index) {
    if (index < -1 || index >= count())
        throw RuntimeError(380, QStringLiteral("Invalid property value"));
    setCurrentRow(index);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex &index,
                                                              const QEvent *event) const {
    // Ctrl with a click or the space bar would deselect the selected item.
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

QString ListBox::list(int index) const {
    const QListWidgetItem *entry = item(index);
    return entry ? entry->text() : QString();
}

} // namespace form
