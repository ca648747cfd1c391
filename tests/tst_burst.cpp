#include "DocumentedPlatform.h"
#include "RevealOracle.h"
#include "WindowTest.h"
#include "app/Tessaline.h"
#include "form/LenientNumber.h"
#include "form/Palette.h"
#include "form/Twips.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <cmath>
#include <functional>
#include <utility>

namespace {

const QPoint kBackground(3, 3);

// What the window shows on the screen, one device pixel per image pixel.
QImage screenOf(QWidget &window) {
    return window.screen()
        ->grabWindow(window.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QRect deviceRect(const QRect &logical, qreal ratio) {
    return QRectF(QRectF(logical).topLeft() * ratio, QRectF(logical).size() * ratio)
        .toAlignedRect();
}

QSet<QRgb> paletteColours() {
    QSet<QRgb> colours;
    for (int index = 0; index < 16; ++index)
        colours.insert(form::toQColor(form::qbColor(index)).rgb());
    return colours;
}

// A dot of a burst: its centre in twips and its colour.
struct Dot {
    QPointF twips;
    QRgb colour;
};

// The next dot a burst draws, worked out from the documented generator: x, y
// and colour from three numbers in that order, the colour index rounded with
// halves to even.
Dot nextDot(DocumentedRandom &random) {
    const float x = random.next() * 7485.0f;
    const float y = random.next() * 5670.0f;
    const float shade = random.next() * 15.0f;
    const int index = int(std::nearbyint(double(shade))) % 255;
    return {QPointF(x, y), documentedPaletteColour(index).rgb()};
}

// Where a dot is looked for, in pixels: its centre, and 6 pixels out on
// every side.
QList<QPointF> probesOf(const Dot &dot) {
    const QPointF centre = dot.twips / form::kTwipsPerPixel;
    return {centre, centre + QPointF(-6, 0), centre + QPointF(6, 0), centre + QPointF(0, -6),
            centre + QPointF(0, 6)};
}

// Whether the drawing shows the dot's colour at each of the probes.
bool showsDotAt(const QImage &drawing, const Dot &dot, const QList<QPointF> &probes) {
    for (const QPointF &probe : probes) {
        const QPoint at = (probe * drawing.devicePixelRatio()).toPoint();
        if (!drawing.rect().contains(at) || drawing.pixel(at) != dot.colour)
            return false;
    }
    return !probes.isEmpty();
}

// The probes of dot k that none of the dots after it, up to `upTo`, can
// reach: a disc 15 pixels across, centred to the nearest pixel.
QList<QPointF> unreachedProbes(const QList<Dot> &dots, int k, int upTo) {
    QList<QPointF> probes;
    for (const QPointF &probe : probesOf(dots.at(k))) {
        bool reached = false;
        for (int j = k + 1; j < upTo && !reached; ++j) {
            const QPointF apart = dots.at(j).twips / form::kTwipsPerPixel - probe;
            reached = std::hypot(apart.x(), apart.y()) < 9;
        }
        if (!reached)
            probes.append(probe);
    }
    return probes;
}

// Keeps, each time the window's surface is shown during a burst, the drawing
// that goes out and what the screen showed until then; and counts the paints
// of every other widget.
class BurstRecorder : public QObject {
public:
    explicit BurstRecorder(Tessaline &window)
        : m_window(window) {
        qApp->installEventFilter(this);
    }
    ~BurstRecorder() override { qApp->removeEventFilter(this); }

    QList<QImage> drawings;
    QList<QImage> screens;
    int otherPaints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        // A synchronous repaint asks for an update first: the screen then
        // still shows the previous present.
        if (watched == &m_window && event->type() == QEvent::UpdateRequest)
            screens.append(screenOf(m_window));
        if (event->type() != QEvent::Paint)
            return false;
        if (watched == &m_window)
            drawings.append(m_window.drawing());
        else
            ++otherPaints;
        return false;
    }

private:
    Tessaline &m_window;
};

} // namespace

class TestBurst : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window = openWindow();
        QVERIFY(m_window);
        QTest::qWait(20); // let every first paint go by
    }

    void cleanup() { m_window.reset(); }

    void dotsAreRoundCentredAndInExactColours() {
        form::Form &form = *m_window;
        const qreal ratio = form.devicePixelRatioF();
        form.setDrawWidth(15);
        // Points at the start, the middle and the end of pixel 100 across
        // and pixel 60 down, in several colours.
        const QList<QPointF> points = {{1500, 900}, {1504, 906}, {1507.5, 907.5}, {1514, 914}};
        for (int k = 0; k < points.size(); ++k) {
            const QPointF point = points.at(k);
            const QColor colour = form::toQColor(form::qbColor(k * 5));
            form.PSet(float(point.x()), float(point.y()), form::qbColor(k * 5));
            const QImage drawing = form.drawing();
            form.Cls();

            QRect box;
            for (int y = 0; y < drawing.height(); ++y) {
                for (int x = 0; x < drawing.width(); ++x) {
                    const QRgb pixel = drawing.pixel(x, y);
                    if (qAlpha(pixel) == 0)
                        continue;
                    QCOMPARE(pixel, colour.rgb());
                    box |= QRect(x, y, 1, 1);
                }
            }
            const int across = qRound(15 * ratio);
            QCOMPARE(box.size(), QSize(across, across));
            const QPointF centre = QRectF(box).center();
            const QPointF devicePoint = point / form::kTwipsPerPixel * ratio;
            QVERIFY2(qAbs(centre.x() - devicePoint.x()) <= 0.5 &&
                         qAbs(centre.y() - devicePoint.y()) <= 0.5,
                     qPrintable(QStringLiteral("disc at %1,%2 for a point at %3,%4")
                                    .arg(centre.x())
                                    .arg(centre.y())
                                    .arg(devicePoint.x())
                                    .arg(devicePoint.y())));
            // Round the same way from every side, full width across the middle.
            auto on = [&](int x, int y) { return qAlpha(drawing.pixel(box.x() + x, box.y() + y)); };
            for (int y = 0; y < across; ++y) {
                for (int x = 0; x < across; ++x) {
                    QCOMPARE(on(x, y), on(across - 1 - x, y));
                    QCOMPARE(on(x, y), on(x, across - 1 - y));
                    QCOMPARE(on(x, y), on(y, x));
                }
            }
            QVERIFY(on(0, across / 2) && !on(0, 0));
        }

        // A one-pixel pen sets one pixel; a disc over the corner is clipped.
        form.setDrawWidth(1);
        form.PSet(1500, 900, form::qbColor(12));
        QImage drawing = form.drawing();
        QCOMPARE(drawing.pixel(deviceRect(QRect(100, 60, 1, 1), ratio).topLeft()),
                 QColor(255, 0, 0).rgb());
        form.Cls();
        form.setDrawWidth(15);
        form.PSet(0, 0, form::qbColor(15));
        drawing = form.drawing();
        QCOMPARE(drawing.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(qAlpha(drawing.pixel(qRound(8 * ratio), 0)), 0);
    }

    void aBurstGrowsOverTwentyPresentsInPaletteColoursAndShowsItsLastDots() {
        Tessaline &w = *m_window;
        const qreal ratio = w.devicePixelRatioF();
        const QImage before = screenOf(w);
        const QRgb back =
            before.pixel(deviceRect(QRect(kBackground, QSize(1, 1)), ratio).topLeft());
        QRegion controls;
        for (QWidget *control : controlsOf(w))
            controls += deviceRect(control->geometry(), ratio);

        BurstRecorder recorder(w);
        QTest::mouseClick(&w, Qt::LeftButton, {}, kBackground);

        QCOMPARE(w.DrawWidth(), 15);
        // About one present per display refresh for a third of a second, and
        // the wipe is one more paint.
        const int presents = w.presentCount();
        QVERIFY2(presents >= 19 && presents <= 21, qPrintable(QString::number(presents)));
        QCOMPARE(recorder.drawings.size(), presents + 1);
        QCOMPARE(recorder.screens.size(), recorder.drawings.size());
        QCOMPARE(recorder.otherPaints, 0);

        // Every present keeps the dots shown before and adds more; the last
        // has the last dot of the burst on top; the wipe leaves nothing.
        for (int k = 1; k < presents; ++k) {
            const QImage &earlier = recorder.drawings.at(k - 1);
            const QImage &later = recorder.drawings.at(k);
            int added = 0;
            for (int y = 0; y < later.height(); ++y) {
                for (int x = 0; x < later.width(); ++x) {
                    const bool was = qAlpha(earlier.pixel(x, y)), is = qAlpha(later.pixel(x, y));
                    QVERIFY(is || !was);
                    added += is && !was;
                }
            }
            QVERIFY2(added > 0, qPrintable(QStringLiteral("present %1 added no dot").arg(k + 1)));
        }
        DocumentedRandom random;
        Dot last;
        for (int round = 1; round <= 10000; ++round)
            last = nextDot(random);
        QVERIFY(showsDotAt(recorder.drawings.at(presents - 1), last, probesOf(last)));
        QVERIFY(!showsDotAt(recorder.drawings.at(presents - 2), last, probesOf(last)));
        QImage clear = recorder.drawings.last();
        clear.fill(Qt::transparent);
        QCOMPARE(recorder.drawings.last(), clear);

        const QSet<QRgb> palette = paletteColours();
        QSet<QRgb> seen;
        for (const QImage &drawing : std::as_const(recorder.drawings)) {
            for (int y = 0; y < drawing.height(); ++y) {
                const auto *line = reinterpret_cast<const QRgb *>(drawing.constScanLine(y));
                for (int x = 0; x < drawing.width(); ++x) {
                    if (qAlpha(line[x]) == 0)
                        continue;
                    QVERIFY2(palette.contains(line[x]), qPrintable(QString::number(line[x], 16)));
                    seen.insert(line[x]);
                }
            }
        }
        QCOMPARE(seen.size(), 16);

        // Every screen the burst showed left the controls as they were; the
        // last one, seen just before the wipe, shows every dot's top layer.
        const QImage &complete = recorder.drawings.at(recorder.drawings.size() - 2);
        const QImage &lastShown = recorder.screens.last();
        for (const QImage &screen : std::as_const(recorder.screens))
            for (const QRect &r : controls)
                QVERIFY(screen.copy(r) == before.copy(r));
        for (int y = 0; y < lastShown.height(); ++y) {
            for (int x = 0; x < lastShown.width(); ++x) {
                if (controls.contains(QPoint(x, y)))
                    continue;
                const QRgb drawn = complete.pixel(x, y);
                QCOMPARE(lastShown.pixel(x, y), qAlpha(drawn) ? drawn : back);
            }
        }
    }

    void dotsLandWhereTheDocumentedGeneratorPutsThem() {
        Tessaline &w = *m_window;
        DocumentedRandom random;
        // The first present of a burst holds its first 500 dots. Of its first
        // twenty, each shows its colour at its centre and around it, wherever
        // no later dot can have covered it.
        for (int burst = 1; burst <= 2; ++burst) {
            QList<Dot> dots;
            for (int round = 1; round <= 10000; ++round)
                dots.append(nextDot(random));

            BurstRecorder recorder(w);
            QTest::mouseClick(&w, Qt::LeftButton, {}, kBackground);
            QVERIFY(!recorder.drawings.isEmpty());
            int centresSeen = 0;
            for (int k = 0; k < 20; ++k) {
                const QList<QPointF> probes = unreachedProbes(dots, k, 500);
                if (probes.isEmpty() || probes.first() != probesOf(dots.at(k)).first())
                    continue; // its centre may lie under a later dot
                ++centresSeen;
                QVERIFY2(
                    showsDotAt(recorder.drawings.first(), dots.at(k), probes),
                    qPrintable(QStringLiteral("burst %1, dot %2: not at %3,%4 twips in #%5")
                                   .arg(burst)
                                   .arg(k + 1)
                                   .arg(dots.at(k).twips.x())
                                   .arg(dots.at(k).twips.y())
                                   .arg(dots.at(k).colour & 0xFFFFFF, 6, 16, QLatin1Char('0'))));
            }
            QVERIFY(centresSeen >= 3);
        }
    }

    void aBurstLeavesTheSurfaceClearAndTheControlsAsTheyWere() {
        Tessaline &w = *m_window;
        const QImage screenBefore = screenOf(w);
        const QImage formBefore = w.grab().toImage();
        QList<QImage> controlsBefore;
        for (QWidget *control : controlsOf(w))
            controlsBefore.append(control->grab().toImage());

        QTest::mouseClick(&w, Qt::LeftButton, {}, kBackground);

        // Cleared on the screen by the time the handler returns, not later.
        QCOMPARE(screenOf(w), screenBefore);
        const QImage drawing = w.drawing();
        QVERIFY(!drawing.isNull());
        QImage clear(drawing.size(), drawing.format());
        clear.fill(Qt::transparent);
        QCOMPARE(drawing, clear);
        QCOMPARE(w.grab().toImage(), formBefore);
        const QList<QWidget *> controls = controlsOf(w);
        for (int i = 0; i < controls.size(); ++i)
            QVERIFY2(controls.at(i)->grab().toImage() == controlsBefore.at(i),
                     qPrintable(controls.at(i)->objectName()));
        QTest::qWait(50);
        QCOMPARE(screenOf(w), screenBefore);
    }

    void aBurstDuringARevealHoldsItAndTheRevealThenGoesOn() {
        Tessaline &w = *m_window;
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QCOMPARE(w.CurrentStep, quint8(2));
        QCOMPARE(w.Timer1->interval(), 52);
        QVERIFY(tileShowsSource(1));
        QVERIFY(!tileShowsSource(2));
        const QImage display = w.Picture1(1).surface();

        QThread::msleep(60); // the tick for step 2 falls due, undelivered
        QSignalSpy ticks(w.Timer1, &form::Timer::timer);
        QTest::mouseClick(&w, Qt::LeftButton, {}, kBackground);
        QVERIFY(w.presentCount() >= 2); // the burst ran
        QCOMPARE(ticks.count(), 0);
        QCOMPARE(w.CurrentStep, quint8(2));
        QCOMPARE(w.Picture1(1).surface(), display);

        // The held tick comes once the burst is over, and paints step 2.
        QVERIFY(ticks.wait(2000));
        QCOMPARE(ticks.count(), 1);
        QCOMPARE(w.CurrentStep, quint8(3));
        QCOMPARE(w.Timer1->interval(), 54);
        QVERIFY(w.Timer1->isEnabled());
        QVERIFY(tileShowsSource(1));
        QVERIFY(tileShowsSource(2));
        QVERIFY(!tileShowsSource(3));
    }

    void aClickOnAControlStartsNoBurst_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("revealRunning");
        for (const char *name :
             {"Label1(0)", "Label1(1)", "Picture1(0)", "Picture1(1)", "List1", "Text1", "Command2"})
            QTest::newRow(name) << QString::fromLatin1(name) << false;
        QTest::newRow("Command2 greyed") << QStringLiteral("Command2") << true;
    }

    void aClickOnAControlStartsNoBurst() {
        QFETCH(QString, name);
        QFETCH(bool, revealRunning);
        Tessaline &w = *m_window;
        if (revealRunning)
            w.Command2_Click();
        QWidget *control = w.findChild<QWidget *>(name);
        QVERIFY(control);
        if (auto *scrolled = qobject_cast<QAbstractScrollArea *>(control))
            control = scrolled->viewport(); // where a click on a list or a text lands
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseDClick(control, Qt::LeftButton, {}, QPoint(6, 6));
        QTest::qWait(20);
        QCOMPARE(w.DrawWidth(), 1); // a burst would have set it to 15
        QCOMPARE(w.presentCount(), 0);
        QVERIFY(w.drawing().isNull());
    }

    void aClickDuringABurstStartsAnotherAfterIt() {
        Tessaline &w = *m_window;
        QSignalSpy bursts(&w, &form::Form::clicked);
        int clicksPosted = 0;
        struct PostClickOnFirstPaint : QObject {
            std::function<void()> post;
            bool eventFilter(QObject *, QEvent *event) override {
                if (event->type() == QEvent::Paint && post)
                    std::exchange(post, nullptr)();
                return false;
            }
        } filter;
        filter.post = [&] {
            const QPointF local(kBackground);
            const QPointF global = w.mapToGlobal(local);
            QCoreApplication::postEvent(&w, new QMouseEvent(QEvent::MouseButtonPress, local, global,
                                                            Qt::LeftButton, Qt::LeftButton,
                                                            Qt::NoModifier));
            QCoreApplication::postEvent(&w, new QMouseEvent(QEvent::MouseButtonRelease, local,
                                                            global, Qt::LeftButton, Qt::NoButton,
                                                            Qt::NoModifier));
            ++clicksPosted;
        };
        w.installEventFilter(&filter);

        QTest::mouseClick(&w, Qt::LeftButton, {}, kBackground);
        QCOMPARE(clicksPosted, 1);
        QCOMPARE(bursts.count(), 1); // the second click waited for the first burst
        const int presentsOfFirst = w.presentCount();

        QTRY_COMPARE(bursts.count(), 2);
        QVERIFY(w.presentCount() > presentsOfFirst);
        QImage clear(w.drawing().size(), w.drawing().format());
        clear.fill(Qt::transparent);
        QCOMPARE(w.drawing(), clear);
    }

private:
    static QList<QWidget *> controlsOf(Tessaline &w) {
        return {&w.Picture1(0), &w.Picture1(1), w.Text1,     w.List1,
                w.Command2,     &w.Label1(0),   &w.Label1(1)};
    }

    // Whether the display shows, in the tile that the first effect paints at
    // `step`, the source photo.
    bool tileShowsSource(int step) {
        Tessaline &w = *m_window;
        int tile = -1;
        for (int i = 0; i < 100; ++i)
            if (form::lenientNumber(w.List2(0).list(i)) == step)
                tile = i;
        const QImage display = w.Picture1(1).surface();
        const QRect r = oracle::tileOnDisplay(tile, w.devicePixelRatioF()) & display.rect();
        return tile >= 0 && display.copy(r) == w.Picture1(0).surface().copy(r);
    }

    std::unique_ptr<Tessaline> m_window;
};

TESSALINE_WINDOW_TEST_MAIN(TestBurst)

#include "tst_burst.moc"
