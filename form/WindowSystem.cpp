#include "form/WindowSystem.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace form {

void waitUntilDrawn() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    // A round trip to the server means it has handled every request before it.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (xcb_connection_t *connection = x11 ? x11->connection() : nullptr)
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

} // namespace form
