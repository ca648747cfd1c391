#include "form/PictureBoxAccessible.h"

#include "form/ApplicationAccessible.h"
#include "form/FormAccessible.h"
#include "form/PictureBox.h"

namespace form {

namespace {

QAccessibleInterface *pictureBoxFactory(const QString &, QObject *object) {
    if (auto *box = qobject_cast<PictureBox *>(object))
        return new PictureBoxAccessible(box);
    return nullptr;
}

} // namespace

PictureBoxAccessible::PictureBoxAccessible(QWidget *widget)
    : QAccessibleWidget(widget, QAccessible::Graphic) {}

void PictureBoxAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(pictureBoxFactory);
        // The form leaves its hidden boxes out of what it offers.
        FormAccessible::install();
        ApplicationAccessible::install();
        return true;
    }();
    Q_UNUSED(installed);
}

QAccessible::Role PictureBoxAccessible::role() const {
    return QAccessible::Graphic;
}

QAccessible::State PictureBoxAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    if (widget()->isHidden())
        s.invisible = true;
    return s;
}

void *PictureBoxAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ImageInterface)
        return static_cast<QAccessibleImageInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString PictureBoxAccessible::imageDescription() const {
    return widget()->accessibleDescription();
}

QSize PictureBoxAccessible::imageSize() const {
    return widget()->size();
}

QPoint PictureBoxAccessible::imagePosition() const {
    return widget()->mapToGlobal(QPoint(0, 0));
}

} // namespace form
