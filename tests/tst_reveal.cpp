#include "DisplayRecorder.h"
#include "RevealOracle.h"
#include "WindowTest.h"
#include "app/Tessaline.h"
#include "form/LenientNumber.h"
#include "form/Twips.h"

#include <QElapsedTimer>
#include <QTest>

class TestReveal : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window = openWindow();
        QVERIFY(m_window);
        m_cover = display().surface();
        m_source = m_window->Picture1(0).surface();
        // The inner area is 196 x 183 logical pixels, at whatever pixel density.
        QCOMPARE(m_cover.size(), QSize(196, 183) * m_window->devicePixelRatioF());
        QCOMPARE(m_cover.size(), m_source.size());
        QVERIFY(m_cover != m_source);
    }

    void cleanup() { m_window.reset(); }

    void pressingPaintsStepOneAtOnceThenGreysTheButton() {
        Tessaline &w = *m_window;
        bool tileShownWhenGreyed = false;
        struct Watch : QObject {
            std::function<void()> onDisable;
            bool eventFilter(QObject *, QEvent *e) override {
                if (e->type() == QEvent::EnabledChange)
                    onDisable();
                return false;
            }
        } watch;
        watch.onDisable = [&] { tileShownWhenGreyed = tileShowsSource(0, 0); };
        w.Command2->installEventFilter(&watch);

        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QVERIFY(tileShownWhenGreyed);
        QVERIFY(!w.Command2->isEnabled());
        QVERIFY(w.Timer1->isEnabled());
        QCOMPARE(w.EffectNo, quint8(1));
        QCOMPARE(w.CurrentStep, quint8(2));
        QCOMPARE(w.Timer1->interval(), 52);
        QVERIFY(!tileShowsSource(1, 0));
    }

    void intervalRampsUpThenDownAndARunEndsIdle() {
        Tessaline &w = *m_window;
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        for (int step = 2; step <= 100; ++step) {
            w.Timer1_Timer();
            if (step < 100)
                QCOMPARE(w.Timer1->interval(), oracle::intervalAfter(step));
        }
        QCOMPARE(w.Timer1->interval(), 50);
        QVERIFY(w.Command2->isEnabled());
        QVERIFY(!w.Timer1->isEnabled());
        QCOMPARE(w.CurrentStep, quint8(101));
        QTRY_COMPARE(display().surface(), m_cover);
    }

    void tilesFollowTheEffectsTable_data() {
        QTest::addColumn<int>("effect");
        for (int effect : {1, 2, 5, 17, 18, 43, 68})
            QTest::addRow("effect %02d", effect) << effect;
    }

    void tilesFollowTheEffectsTable() {
        QFETCH(int, effect);
        Tessaline &w = *m_window;
        w.List1->setListIndex(effect - 1);
        checkRunPaintsTable(effect, [&] { QTest::mouseClick(w.Command2, Qt::LeftButton); });
    }

    void changingTheSelectionDuringARunChangesNothing() {
        Tessaline &w = *m_window;
        w.List1->setListIndex(1);
        bool changed = false;
        checkRunPaintsTable(2, [&] {
            QTest::mouseClick(w.Command2, Qt::LeftButton);
            QTest::keyClick(w.List1, Qt::Key_Down);
            QCOMPARE(w.List1->listIndex(), 2);
            changed = true;
        });
        QVERIFY(changed);
        QCOMPARE(w.EffectNo, quint8(2));
    }

    void aNewRunStartsFromWhatTheDisplayShows() {
        Tessaline &w = *m_window;
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        while (w.CurrentStep <= 100)
            w.Timer1_Timer();
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QVERIFY(tileShowsSource(0, 0));
        QVERIFY(!tileShowsSource(1, 0));
        QVERIFY(tileShowsCover(1, 0));
    }

    void aTableThatIsNoPermutationPaintsLastMatchOrTopLeft() {
        Tessaline &w = *m_window;
        form::ItemList &table = w.List2(0);
        table.clear();
        for (int i = 0; i < 100; ++i)
            table.addItem(i == 42 ? QStringLiteral("7") : QStringLiteral("1"));

        QTest::mouseClick(w.Command2, Qt::LeftButton); // step 1: every entry but one matches
        QVERIFY(tileShowsSource(9, 9));
        QVERIFY(tileShowsCover(0, 0));
        w.Timer1_Timer(); // step 2: nothing matches
        QVERIFY(tileShowsSource(0, 0));
        for (int step = 3; step <= 7; ++step)
            w.Timer1_Timer();
        QVERIFY(tileShowsSource(2, 4));
        while (w.CurrentStep <= 100)
            w.Timer1_Timer();
        QVERIFY(w.Command2->isEnabled());
    }

    void aRealTimeRunIsNeverEarly() {
        Tessaline &w = *m_window;
        QElapsedTimer clock;
        QList<qint64> ticks;
        connect(w.Timer1, &form::Timer::timer, this, [&] { ticks.append(clock.nsecsElapsed()); });
        clock.start();
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        ticks.prepend(0); // step 1 runs at the press
        QTRY_VERIFY_WITH_TIMEOUT(w.Command2->isEnabled(), 30000);
        QCOMPARE(ticks.size(), 100);
        for (int step = 1; step < 100; ++step) {
            const qint64 gap = ticks.at(step) - ticks.at(step - 1);
            QVERIFY2(gap >= oracle::intervalAfter(step) * 1'000'000LL,
                     qPrintable(QStringLiteral("step %1: %2 ns").arg(step).arg(gap)));
        }
        QCOMPARE(w.Timer1->interval(), 50);
    }

private:
    form::PictureBox &display() { return m_window->Picture1(1); }

    QRect tileRect(int column, int row) const {
        const qreal ratio = m_window->devicePixelRatioF();
        return oracle::tileOnDisplay(column, row, ratio) & m_cover.rect();
    }

    bool tileShows(const QImage &photo, int column, int row) {
        const QRect r = tileRect(column, row);
        return display().surface().copy(r) == photo.copy(r);
    }
    bool tileShowsSource(int column, int row) { return tileShows(m_source, column, row); }
    bool tileShowsCover(int column, int row) { return tileShows(m_cover, column, row); }

    // Runs a reveal of `effect` tick by tick, started by `start`, and checks on
    // screen that each step paints exactly its table's tile and nothing else.
    void checkRunPaintsTable(int effect, const std::function<void()> &start) {
        Tessaline &w = *m_window;
        const QStringList table = [&] {
            QStringList entries;
            for (int i = 0; i < 100; ++i)
                entries.append(w.List2(effect - 1).list(i));
            return entries;
        }();
        DisplayRecorder recorder(display());
        QImage expected = m_cover;
        for (int step = 1; step <= 100; ++step) {
            recorder.frames.clear();
            if (step == 1)
                start();
            else
                w.Timer1_Timer();
            QVERIFY2(!recorder.frames.isEmpty(), "the step never reached the screen");

            const int tile =
                int(table.indexOf(QRegularExpression(QStringLiteral("^%1 ?$").arg(step))));
            QVERIFY(tile >= 0);
            QCOMPARE(form::lenientNumber(table.at(tile)), double(step));
            const QRect r = tileRect(tile % 10, tile / 10);
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    expected.setPixel(x, y, m_source.pixel(x, y));
            QVERIFY2(recorder.frames.first() == expected,
                     qPrintable(QStringLiteral("step %1 painted something other than tile %2")
                                    .arg(step)
                                    .arg(tile)));
        }
        // The last tile completed the source photo exactly: no gaps, no overlaps.
        QCOMPARE(expected, m_source);
        QVERIFY(w.Command2->isEnabled());
        QTRY_COMPARE(display().surface(), m_cover);
    }

    std::unique_ptr<Tessaline> m_window;
    QImage m_cover;
    QImage m_source;
};

TESSALINE_WINDOW_TEST_MAIN(TestReveal)

#include "tst_reveal.moc"
