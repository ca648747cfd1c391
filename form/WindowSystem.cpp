#include "form/WindowSystem.h"

#include <QGuiApplication>

// The X server is asked directly only where Qt itself has X11 support.
#if defined(TESSALINE_X11) && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#define TESSALINE_WAIT_FOR_X11
#endif

namespace form {

void waitUntilDrawn() {
#ifdef TESSALINE_WAIT_FOR_X11
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    // A round trip to the server means it has handled every request before it.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (xcb_connection_t *connection = x11 ? x11->connection() : nullptr)
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
#endif
}

} // namespace form
