#include "form/ListBox.h"

#include "form/FocusFrame.h"
#include "form/RuntimeError.h"

#include <QAccessible>
#include <QPainter>
#include <QStyledItemDelegate>

namespace form {

namespace {

// Items without the style's own focus dots, which would sit on the selection
// colour and the text: the list frames itself instead.
class PlainItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }
};

} // namespace

ListBox::ListBox(QWidget *parent)
    : QListWidget(parent) {
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setItemDelegate(new PlainItemDelegate(this));
}

void ListBox::paintEvent(QPaintEvent *event) {
    QListWidget::paintEvent(event);
    if (!hasFocus())
        return;
    // Round the inside of the list, clear of the items' text.
    QPainter p(viewport());
    drawFocusFrame(p, viewport()->rect().adjusted(0, 0, -1, -1));
}

void ListBox::focusInEvent(QFocusEvent *event) {
    QListWidget::focusInEvent(event);
    viewport()->update();
    // The list tells a screen reader that it has the keyboard once this event
    // is over; the selected item, which is what a person wants to hear,
    // follows it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!QAccessible::isActive() || !hasFocus() || currentRow() < 0)
                return;
            QAccessibleEvent focus(this, QAccessible::Focus);
            focus.setChild(currentRow());
            QAccessible::updateAccessibility(&focus);
        },
        Qt::QueuedConnection);
}

void ListBox::focusOutEvent(QFocusEvent *event) {
    QListWidget::focusOutEvent(event);
    viewport()->update();
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
