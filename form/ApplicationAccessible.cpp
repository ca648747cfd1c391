#include "form/ApplicationAccessible.h"

#include <QApplication>
#include <QMenu>

namespace form {

namespace {

QAccessibleInterface *applicationFactory(const QString &, QObject *object) {
    if (object && object == qApp)
        return new ApplicationAccessible;
    return nullptr;
}

} // namespace

void ApplicationAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(applicationFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QList<QWidget *> ApplicationAccessible::openMenus() {
    QList<QWidget *> menus;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMenu *>(window) && window->isVisible())
            menus.append(window);
    }
    return menus;
}

int ApplicationAccessible::childCount() const {
    return QAccessibleApplication::childCount() + int(openMenus().size());
}

QAccessibleInterface *ApplicationAccessible::child(int index) const {
    const int windows = QAccessibleApplication::childCount();
    if (index < windows)
        return QAccessibleApplication::child(index);
    const QList<QWidget *> menus = openMenus();
    if (index - windows >= menus.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(menus.at(index - windows));
}

int ApplicationAccessible::indexOfChild(const QAccessibleInterface *child) const {
    const int found = QAccessibleApplication::indexOfChild(child);
    if (found >= 0 || !child)
        return found;
    const int menu = int(openMenus().indexOf(qobject_cast<QWidget *>(child->object())));
    return menu < 0 ? -1 : QAccessibleApplication::childCount() + menu;
}

} // namespace form
