#include "form/WindowSystem.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

// The X server is asked directly only where Qt itself has X11 support.
#if defined(TESSALINE_X11) && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QPointer>

#include <cstdlib>
#include <cstring>
#define TESSALINE_WAIT_FOR_X11
#endif

namespace form {

#ifdef TESSALINE_WAIT_FOR_X11
namespace {

// The program's connection to the X server; none on another platform.
xcb_connection_t *x11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name) {
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Sees each X event as Qt takes it from the server, before Qt turns the input
// among them into events of its own and delivers them one by one.
class WindowWatch : public QAbstractNativeEventFilter {
public:
    WindowWatch(QWidget *window, std::function<void()> closeRequested,
                std::function<void()> destroyed, xcb_atom_t protocols, xcb_atom_t deleteWindow)
        : m_window(window)
        , m_closeRequested(std::move(closeRequested))
        , m_destroyed(std::move(destroyed))
        , m_protocols(protocols)
        , m_deleteWindow(deleteWindow) {}

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override {
        if (type != "xcb_generic_event_t" || !m_window)
            return false;
        const WId id = m_window->internalWinId();
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        switch (event->response_type & ~0x80) {
        case XCB_CLIENT_MESSAGE: {
            const auto *client = static_cast<const xcb_client_message_event_t *>(message);
            if (client->window == id && client->type == m_protocols &&
                client->data.data32[0] == m_deleteWindow && m_closeRequested)
                m_closeRequested();
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto *gone = static_cast<const xcb_destroy_notify_event_t *>(message);
            if (id != 0 && gone->window == id && m_destroyed)
                m_destroyed();
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    std::function<void()> m_closeRequested;
    std::function<void()> m_destroyed;
    xcb_atom_t m_protocols;
    xcb_atom_t m_deleteWindow;
};

} // namespace
#endif

void watchWindow(QWidget *window, std::function<void()> closeRequested,
                 std::function<void()> destroyed) {
#ifdef TESSALINE_WAIT_FOR_X11
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    auto *watch = new WindowWatch(window, std::move(closeRequested), std::move(destroyed),
                                  internAtom(connection, "WM_PROTOCOLS"),
                                  internAtom(connection, "WM_DELETE_WINDOW"));
    qApp->installNativeEventFilter(watch);
    QObject::connect(window, &QObject::destroyed, qApp, [watch] {
        qApp->removeNativeEventFilter(watch);
        delete watch;
    });
#else
    Q_UNUSED(window);
    Q_UNUSED(closeRequested);
    Q_UNUSED(destroyed);
#endif
}

void keepComposited(QWidget *window) {
#ifdef TESSALINE_WAIT_FOR_X11
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    // 2: the compositor is not to bypass itself for this window.
    const uint32_t keep = 2;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                        internAtom(connection, "_NET_WM_BYPASS_COMPOSITOR"), XCB_ATOM_CARDINAL, 32,
                        1, &keep);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

bool clicksWaitTheirTurn() {
#ifdef TESSALINE_WAIT_FOR_X11
    return QGuiApplication::platformName() == QLatin1String("xcb");
#else
    return false;
#endif
}

void waitUntilDrawn() {
#ifdef TESSALINE_WAIT_FOR_X11
    // A round trip to the server means it has handled every request before it.
    if (xcb_connection_t *connection = x11Connection())
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
#endif
}

} // namespace form
