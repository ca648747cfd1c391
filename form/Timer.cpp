#include "form/Timer.h"

#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace form {

Timer::Timer(QObject *parent)
    : QObject(parent) {
    // Each countdown starts when the previous tick is delivered, not when it
    // fell due: a late tick never makes the next one come sooner.
#ifdef Q_OS_LINUX
    m_timerFile = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_timerFile >= 0) {
        m_expiry = new QSocketNotifier(m_timerFile, QSocketNotifier::Read, this);
        connect(m_expiry, &QSocketNotifier::activated, this, [this] {
            // Restarting the countdown clears an expiry not yet delivered;
            // then there is nothing to read, and no tick.
            quint64 expiries = 0;
            if (::read(m_timerFile, &expiries, sizeof expiries) == sizeof expiries && expiries > 0)
                tick();
        });
        return;
    }
#endif
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &Timer::tick);
}

Timer::~Timer() {
#ifdef Q_OS_LINUX
    if (m_timerFile >= 0) {
        delete m_expiry;
        ::close(m_timerFile);
    }
#endif
}

void Timer::tick() {
    restart();
    emit timer();
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
    const int countdown = m_enabled && m_interval > 0 ? m_interval : 0;
#ifdef Q_OS_LINUX
    if (m_timerFile >= 0) {
        // All zero disarms it; arming it anew forgets an expiry not yet read.
        itimerspec due{};
        due.it_value.tv_sec = countdown / 1000;
        due.it_value.tv_nsec = long(countdown % 1000) * 1000000L;
        timerfd_settime(m_timerFile, 0, &due, nullptr);
        return;
    }
#endif
    if (countdown > 0)
        m_timer.start(countdown);
    else
        m_timer.stop();
}

} // namespace form
