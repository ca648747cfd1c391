#pragma once

#include <QAccessibleApplication>

namespace form {

// The program as a screen reader sees it: Qt's own view, with the menu that
// is open counted among its windows. Qt gives an open menu the program as its
// parent but leaves it out of the program's children, and a reader then takes
// the menu for a thing already gone and never says it (Orca 43 does).
class ApplicationAccessible : public QAccessibleApplication {
public:
    // Makes the program answer so; called once per program.
    static void install();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    static QList<QWidget *> openMenus();
};

} // namespace form
