#include "form/Announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace form {

namespace {

class AnnouncerAccessible : public QAccessibleWidget {
public:
    explicit AnnouncerAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return static_cast<Announcer *>(widget())->message();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *announcerFactory(const QString &, QObject *object) {
    if (auto *announcer = qobject_cast<Announcer *>(object))
        return new AnnouncerAccessible(announcer);
    return nullptr;
}

} // namespace

Announcer::Announcer(QWidget *parent)
    : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(announcerFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
    // Nothing to say yet: out of a reader's way until the first message.
    hide();
}

void Announcer::announce(const QString &message) {
    m_message = message;
    // A reader keeps the names it has read: tell it this one changed, or it
    // says the last message again.
    QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    // Hidden first, so that a reader that has seen the last message sees a
    // new one appear, even when the words are the same.
    if (!isHidden())
        hide();
    show();
}

} // namespace form
