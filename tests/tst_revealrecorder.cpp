#include "RevealRecorder.h"
#include "WindowTest.h"
#include "form/LenientNumber.h"
#include "reveal/EffectCatalogue.h"
#include "reveal/RevealRun.h"

#include <QPainter>
#include <QTest>

namespace {

// A picture of the display's inner size whose every pixel differs from its
// neighbours', so that a tile copied from the wrong place shows.
QImage pattern(int seed) {
    QImage image(196, 183, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y,
                           qRgb((x * 7 + seed) & 255, (y * 5 + seed) & 255, (x + y + seed) & 255));
    return image;
}

// The grid cell (column, row) that a tile of the inner area lies in.
QPoint cellOf(const QRect &tile, const QSize &area) {
    const QPoint centre = tile.center();
    return {centre.x() * 10 / area.width(), centre.y() * 10 / area.height()};
}

} // namespace

class TestRevealRecorder : public QObject {
    Q_OBJECT

private slots:
    void recordsEachStepsTileTimingAndPicture() {
        const QImage source = pattern(0);
        const QImage cover = pattern(101);
        exporting::RevealRecorder recorder;
        recorder.setPictures(source, cover);
        const QList<QStringList> tables = reveal::effectTables();

        // Two effects in a row: the second starts from a window the first left ready.
        for (int effect : {2, 68}) {
            const exporting::RevealRecording run = recorder.record(effect, true);
            QVERIFY2(recorder.errorString().isEmpty(), qPrintable(recorder.errorString()));
            QCOMPARE(run.effect, effect);
            QCOMPARE(run.before, cover);
            QCOMPARE(run.steps.size(), 100);

            QImage expected = cover;
            QRegion covered;
            int start = 0;
            for (int step = 1; step <= 100; ++step) {
                const exporting::RecordedStep &s = run.steps.at(step - 1);
                QCOMPARE(s.step, step);
                QCOMPARE(s.startMs, start);
                start += s.intervalAfter;

                const QPoint cell = cellOf(s.tile, cover.size());
                QCOMPARE(s.cell, cell);
                const int entry = cell.y() * 10 + cell.x();
                QCOMPARE(form::lenientNumber(tables.at(effect - 1).at(entry)), double(step));
                QVERIFY2(!covered.intersects(s.tile), qPrintable(QString::number(step)));
                covered += s.tile;

                QPainter(&expected).drawImage(s.tile, source, s.tile);
                QVERIFY2(s.display == expected,
                         qPrintable(QStringLiteral("effect %1 step %2").arg(effect).arg(step)));
            }
            // The window's ramp: 52 ms after step 1, slowest in the middle, back to 50.
            QCOMPARE(run.steps.at(0).intervalAfter, 52);
            QCOMPARE(run.steps.at(49).intervalAfter, 150);
            QCOMPARE(run.steps.at(99).intervalAfter, 50);
            QCOMPARE(run.steps.at(99).startMs, 9950);
            QCOMPARE(covered, QRegion(cover.rect()));
            QCOMPARE(run.steps.at(99).display, source);
        }
    }

    // The steps the reveal's rules give without a window are the steps the
    // window paints: the same cell and the same start for every step.
    void theRulesWithoutAWindowGiveTheWindowsSteps() {
        exporting::RevealRecorder recorder;
        for (int effect = 1; effect <= reveal::kEffectCount; ++effect) {
            const exporting::RevealRecording run = recorder.record(effect);
            const QList<reveal::StepCell> steps = reveal::RevealRun::stepsOfEffect(effect);
            QCOMPARE(steps.size(), run.steps.size());
            for (int i = 0; i < steps.size(); ++i) {
                QCOMPARE(steps[i].step, run.steps[i].step);
                QCOMPARE(steps[i].cell, run.steps[i].cell);
                QCOMPARE(steps[i].startMs, run.steps[i].startMs);
                QCOMPARE(steps[i].intervalAfter, run.steps[i].intervalAfter);
            }
            QCOMPARE(steps.last().startMs, 9950);
        }
        QVERIFY(reveal::RevealRun::stepsOfEffect(0).isEmpty());
        QVERIFY(reveal::RevealRun::stepsOfEffect(70).isEmpty());
    }

    void anUnknownEffectIsRefusedAndChangesNothing() {
        exporting::RevealRecorder recorder;
        for (int effect : {0, 70}) {
            QVERIFY(recorder.record(effect).steps.isEmpty());
            QVERIFY(recorder.errorString().contains(QString::number(effect)));
        }
        const exporting::RevealRecording run = recorder.record(1);
        QCOMPARE(run.steps.size(), 100);
        QVERIFY(recorder.errorString().isEmpty());
        QVERIFY(run.steps.at(5).display.isNull()); // images only on request
    }
};

TESSALINE_WINDOW_TEST_MAIN(TestRevealRecorder)
#include "tst_revealrecorder.moc"
