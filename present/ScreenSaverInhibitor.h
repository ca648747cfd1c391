#pragma once

#include <QString>

namespace present {

// Holds off screen blanking and the screensaver while it lives, through the
// desktop's freedesktop ScreenSaver service on the session bus. Where there is
// no such service (no session bus, a bare window manager) nothing is held off,
// and problem() says so.
class ScreenSaverInhibitor {
public:
    explicit ScreenSaverInhibitor(const QString &reason);
    ~ScreenSaverInhibitor();
    ScreenSaverInhibitor(const ScreenSaverInhibitor &) = delete;
    ScreenSaverInhibitor &operator=(const ScreenSaverInhibitor &) = delete;

    bool holding() const { return m_held; }
    QString problem() const { return m_problem; }

private:
    bool m_held = false;
    uint m_cookie = 0;
    QString m_problem;
};

} // namespace present
