#include "form/Timer.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

class TestTimer : public QObject {
    Q_OBJECT

private slots:
    void ticksNeverComeSoonerThanTheInterval()
    {
        form::Timer timer;
        timer.setInterval(30);
        QElapsedTimer clock;
        QList<qint64> gaps;
        qint64 last = 0;
        connect(&timer, &form::Timer::timer, this, [&] {
            gaps.append(clock.nsecsElapsed() - last);
            last = clock.nsecsElapsed();
        });
        clock.start();
        timer.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(gaps.size() >= 5, 5000);
        timer.setEnabled(false);
        for (qint64 gap : gaps)
            QVERIFY2(gap >= 30'000'000, qPrintable(QString::number(gap)));
    }

    void settingTheIntervalWhileEnabledRestartsTheCountdown()
    {
        form::Timer timer;
        timer.setInterval(300);
        int ticks = 0;
        connect(&timer, &form::Timer::timer, this, [&] { ++ticks; });
        timer.setEnabled(true);
        QElapsedTimer clock;
        clock.start();
        // Setting the interval every 100 ms keeps pushing the tick away.
        while (clock.elapsed() < 900) {
            QTest::qWait(100);
            timer.setInterval(300);
        }
        QCOMPARE(ticks, 0);
        QTRY_COMPARE_WITH_TIMEOUT(ticks, 1, 2000);
    }

    void settingTheIntervalWhileDisabledDoesNotStartIt()
    {
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

    void aTickDueDuringABusyHandlerIsDeliveredOnceAfterIt()
    {
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
