#include "form/FormAccessible.h"

#include "form/Form.h"
#include "form/PictureBox.h"

#include <QApplication>

namespace form {

namespace {

QAccessibleInterface *formFactory(const QString &, QObject *object) {
    if (auto *form = qobject_cast<Form *>(object))
        return new FormAccessible(form);
    return nullptr;
}

} // namespace

FormAccessible::FormAccessible(QWidget *form)
    : QAccessibleWidget(form, QAccessible::Window) {}

void FormAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(formFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QAccessible::State FormAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    if (QApplication::activePopupWidget())
        s.active = false;
    return s;
}

QList<QObject *> FormAccessible::offered() const {
    QList<QObject *> controls;
    for (QObject *object : widget()->children()) {
        auto *control = qobject_cast<QWidget *>(object);
        // Menus and dialogs are windows of their own, reached from the desktop.
        if (!control || control->isWindow())
            continue;
        if (qobject_cast<PictureBox *>(control) && control->isHidden())
            continue;
        controls.append(control);
    }
    return controls;
}

int FormAccessible::childCount() const {
    return int(offered().size());
}

QAccessibleInterface *FormAccessible::child(int index) const {
    const QList<QObject *> controls = offered();
    if (index < 0 || index >= controls.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(controls.at(index));
}

int FormAccessible::indexOfChild(const QAccessibleInterface *child) const {
    if (!child)
        return -1;
    return int(offered().indexOf(child->object()));
}

} // namespace form
