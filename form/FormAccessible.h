#pragma once

#include <QAccessibleWidget>

namespace form {

// A form as a screen reader sees it: a window whose children are its
// controls, leaving out the picture boxes it keeps hidden (a picture held for
// drawing, never shown), so that a reader meets no empty, nameless object.
class FormAccessible : public QAccessibleWidget {
public:
    explicit FormAccessible(QWidget *form);

    // Makes every form answer so; called once per program.
    static void install();

    // Not active while one of its popup menus has the keyboard: Qt tells a
    // reader the window was activated as the menu takes the keyboard from
    // it, and the reader would then say the window instead of the menu.
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    QList<QObject *> offered() const;
};

} // namespace form
