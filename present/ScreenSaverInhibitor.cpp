#include "present/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace present {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");

QDBusMessage call(const QString &method) {
    return QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/ScreenSaver"),
                                          kService, method);
}

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(const QString &reason) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_problem = QStringLiteral("there is no session bus");
        return;
    }
    if (!bus.interface()->isServiceRegistered(kService)) {
        m_problem = QStringLiteral("the desktop offers no %1 service").arg(kService);
        return;
    }
    QDBusMessage inhibit = call(QStringLiteral("Inhibit"));
    inhibit << QCoreApplication::applicationName() << reason;
    const QDBusReply<uint> reply = bus.call(inhibit, QDBus::Block, 2000);
    if (!reply.isValid()) {
        m_problem = reply.error().message();
        return;
    }
    m_cookie = reply.value();
    m_held = true;
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    if (!m_held)
        return;
    QDBusMessage unInhibit = call(QStringLiteral("UnInhibit"));
    unInhibit << m_cookie;
    QDBusConnection::sessionBus().call(unInhibit, QDBus::NoBlock);
}

} // namespace present
