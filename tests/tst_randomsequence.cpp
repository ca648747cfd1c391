#include "DocumentedPlatform.h"
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

        // And well beyond, as the generator is documented.
        form::RandomSequence program;
        DocumentedRandom documented;
        for (int i = 0; i < 100000; ++i)
            QCOMPARE(program.next(), documented.next());
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
        for (int index = 0; index < 16; ++index) {
            const QColor colour = documentedPaletteColour(index);
            QCOMPARE(form::qbColor(index),
                     form::ColorRef(colour.red() | colour.green() << 8 | colour.blue() << 16));
        }
        for (int outside : {-1, 16}) {
            bool raised = false;
            try {
                form::qbColor(outside);
            } catch (const form::RuntimeError &) {
                raised = true;
            }
            QVERIFY2(raised, qPrintable(QString::number(outside)));
        }
    }
};

QTEST_APPLESS_MAIN(TestRandomSequence)
#include "tst_randomsequence.moc"
