#pragma once

#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace form {

// The form's timer. Ticks come no sooner than the interval, as queued events
// between other events; one that falls due during a handler is delivered once,
// after it. Setting the interval while enabled restarts the countdown.
class Timer : public QObject {
    Q_OBJECT

public:
    explicit Timer(QObject *parent = nullptr);
    ~Timer() override;

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    int interval() const { return m_interval; }
    void setInterval(int milliseconds);

signals:
    void timer();
    // Enabled was switched on or off.
    void enabledChanged(bool enabled);

private:
    void restart();
    void tick();

    // The countdown runs on a timer file of the kernel where there is one:
    // Qt's own precise timers wake the GLib event loop only on whole
    // milliseconds, half a millisecond late on average at every tick, which a
    // reveal of a hundred ticks adds up. Elsewhere it is a QTimer.
    int m_timerFile = -1;
    QSocketNotifier *m_expiry = nullptr;
    QTimer m_timer;
    bool m_enabled = true;
    int m_interval = 0;
};

} // namespace form
