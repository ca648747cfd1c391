#include "form/Timer.h"

namespace form {

Timer::Timer(QObject *parent)
    : QObject(parent) {
    m_timer.setTimerType(Qt::PreciseTimer);
    // Each countdown starts when the previous tick is delivered, not when it
    // fell due: a late tick never makes the next one come sooner.
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        restart();
        emit timer();
    });
}

void Timer::setEnabled(bool enabled) {
    const bool changed = enabled != m_enabled;
    m_enabled = enabled;
    restart();
    if (changed)
        emit enabledChanged(enabled);
}

void Timer::setInterval(int milliseconds) {
    m_interval = milliseconds;
    restart();
}

void Timer::restart() {
    // An interval of 0 keeps the timer silent, whatever Enabled says.
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}

} // namespace form
