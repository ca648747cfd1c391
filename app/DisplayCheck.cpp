#include "app/DisplayCheck.h"

#include <QByteArrayList>

#include <xcb/xcb.h>

namespace {

bool canConnectToX() {
    // The same connection the xcb platform makes, opened and closed again.
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

bool hasWaylandDisplay() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The platforms Qt will try, in its order: the user's choice, or else Wayland
// and X11.
QByteArrayList candidatePlatforms() {
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    if (chosen.trimmed().isEmpty())
        return {"wayland", "xcb"};
    QByteArrayList platforms;
    for (const QByteArray &entry : chosen.split(';'))
        platforms.append(entry.split(':').constFirst().trimmed());
    return platforms;
}

} // namespace

QString displayProblem() {
    bool triedX = false;
    for (const QByteArray &platform : candidatePlatforms()) {
        if (platform == "xcb") {
            if (canConnectToX())
                return {};
            triedX = true;
        } else if (platform.startsWith("wayland")) {
            if (hasWaylandDisplay())
                return {};
        } else if (!platform.isEmpty()) {
            // offscreen, vnc, eglfs and the like bring their own screen.
            return {};
        }
    }
    const QString x11 = qEnvironmentVariable("DISPLAY");
    if (triedX && !x11.isEmpty())
        return QStringLiteral("cannot open display %1").arg(x11);
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (chosen.isEmpty())
        return QStringLiteral("no display to open the window on (DISPLAY and WAYLAND_DISPLAY are "
                              "not set)");
    return QStringLiteral("no display to open the window on with QT_QPA_PLATFORM=%1").arg(chosen);
}
