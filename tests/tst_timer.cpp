#include "form/Timer.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <algorithm>

class TestTimer : public QObject {
    Q_OBJECT

private slots:
    void ticksComeNoSoonerThanTheIntervalTheyWereSetTo() {
        // Intervals as a reveal sets them, one step further at every tick. A
        // timer that may fire a little early to save wake-ups is caught by at
        // least one of them coming too soon.
        form::Timer timer;
        QElapsedTimer clock;
        QList<qint64> early; // how much sooner than its interval each tick came
        qint64 last = 0;
        int interval = 50;
        connect(&timer, &form::Timer::timer, this, [&] {
            const qint64 now = clock.nsecsElapsed();
            early.append(interval * 1'000'000LL - (now - last));
            last = now;
            interval += 4;
            timer.setInterval(interval);
        });
        timer.setInterval(interval);
        clock.start();
        timer.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(early.size() >= 20, 6000);
        timer.setEnabled(false);
        for (qint64 ns : std::as_const(early))
            QVERIFY2(ns < 1'000'000,
                     qPrintable(QStringLiteral("a tick came %1 ms early").arg(ns / 1e6)));
    }

    void settingTheIntervalWhileEnabledRestartsTheCountdown() {
        form::Timer timer;
        QElapsedTimer clock;
        QList<qint64> sets;
        qint64 tickAt = -1;
        connect(&timer, &form::Timer::timer, this, [&] {
            if (tickAt < 0)
                tickAt = clock.nsecsElapsed();
        });
        clock.start();
        timer.setEnabled(true);
        // Setting the interval every 50 ms keeps pushing the tick away; the
        // tick comes a whole interval after the last setting, never sooner.
        for (int i = 0; i < 6 && tickAt < 0; ++i) {
            sets.append(clock.nsecsElapsed());
            timer.setInterval(200);
            QTest::qWait(50);
        }
        QTRY_VERIFY_WITH_TIMEOUT(tickAt >= 0, 2000);
        QVERIFY(sets.size() > 1);
        const qint64 lastSet = *std::prev(std::upper_bound(sets.begin(), sets.end(), tickAt));
        QVERIFY2(
            tickAt - lastSet >= 200'000'000,
            qPrintable(QStringLiteral("tick %1 ns after the last setting").arg(tickAt - lastSet)));
    }

    void settingTheIntervalWhileDisabledDoesNotStartIt() {
        form::Timer timer;
        timer.setEnabled(false);
        int ticks = 0;
        connect(&timer, &form::Timer::timer, this, [&] { ++ticks; });
        timer.setInterval(10);
        QTest::qWait(100);
        QCOMPARE(ticks, 0);
        QVERIFY(!timer.isEnabled());
        QCOMPARE(timer.interval(), 10);
    }

    void aTickDueDuringABusyHandlerIsDeliveredOnceAfterIt() {
        form::Timer timer;
        timer.setInterval(10);
        int ticks = 0;
        connect(&timer, &form::Timer::timer, this, [&] { ++ticks; });
        timer.setEnabled(true);
        QThread::msleep(100); // a handler that runs ten intervals long
        QCoreApplication::processEvents();
        QCOMPARE(ticks, 1);
        timer.setEnabled(false);
    }
};

QTEST_GUILESS_MAIN(TestTimer)
#include "tst_timer.moc"
