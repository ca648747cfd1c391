#include "form/Timer.h"

namespace form {

Timer::Timer(QObject *parent)
    : QObject(parent) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(false);
    connect(&m_timer, &QTimer::timeout, this, &Timer::timer);
}

void Timer::setEnabled(bool enabled) {
    m_enabled = enabled;
    restart();
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
