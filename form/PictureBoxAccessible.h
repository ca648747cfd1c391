#pragma once

#include <QAccessibleWidget>

namespace form {

// A picture box as a screen reader sees it: an image, named and described by
// what it shows. A hidden box is not offered at all.
class PictureBoxAccessible : public QAccessibleWidget, public QAccessibleImageInterface {
public:
    explicit PictureBoxAccessible(QWidget *widget);

    // Makes every picture box answer as an image; called once per program.
    static void install();

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QString imageDescription() const override;
    QSize imageSize() const override;
    QPoint imagePosition() const override;
};

} // namespace form
