#include "VerifyRuntimeError.h"
#include "form/Palette.h"
#include "form/RandomSequence.h"
#include "form/RuntimeError.h"

#include <QTest>

class TestRandomSequence : public QObject {
    Q_OBJECT

private slots:
    void everyRunDrawsTheSameFirstNumbers() {
        // Worked out by hand from the seed 327680: 11837123 / 2^24, and so on.
        form::RandomSequence random;
        QCOMPARE(random.next(), 11837123.0f / 16777216.0f);
        QCOMPARE(random.next(), 8949370.0f / 16777216.0f);
        QCOMPARE(random.next(), 9722709.0f / 16777216.0f);
        QVERIFY(qAbs(random.next() - 0.2895625f) < 1e-6f);
    }

    void numbersStayInTheUnitInterval() {
        form::RandomSequence random;
        float lowest = 1, highest = 0;
        for (int i = 0; i < (1 << 24); ++i) {
            const float value = random.next();
            lowest = qMin(lowest, value);
            highest = qMax(highest, value);
        }
        QCOMPARE(lowest, 0.0f); // the generator's full period visits 0 once
        QVERIFY(highest < 1.0f);
    }

    void paletteHasSixteenColours() {
        QCOMPARE(form::qbColor(0), 0x000000u);
        QCOMPARE(form::qbColor(4), 0x000080u); // red (128, 0, 0) as 0x00BBGGRR
        QCOMPARE(form::qbColor(7), 0xC0C0C0u);
        QCOMPARE(form::qbColor(9), 0xFF0000u);  // light blue
        QCOMPARE(form::qbColor(14), 0x00FFFFu); // light yellow
        QCOMPARE(form::qbColor(15), 0xFFFFFFu);
        VERIFY_RUNTIME_ERROR(form::qbColor(16));
        VERIFY_RUNTIME_ERROR(form::qbColor(-1));
    }
};

QTEST_APPLESS_MAIN(TestRandomSequence)
#include "tst_randomsequence.moc"
