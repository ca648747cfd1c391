#include "form/LenientNumber.h"
#include "reveal/EffectCatalogue.h"

#include <QTest>

#include <algorithm>

namespace {

struct Tile {
    int row;
    int column;
    bool operator==(const Tile &) const = default;
};

QList<QStringList> &tables() {
    static QList<QStringList> all = reveal::effectTables();
    return all;
}

// The tile that effect `effect` paints at `step`, read the way the reveal reads it.
Tile tileAt(int effect, int step) {
    const QStringList &table = tables().at(effect - 1);
    Tile found{-1, -1};
    for (int i = 0; i < int(table.size()); ++i) {
        if (form::lenientNumber(table.at(i)) == step)
            found = {i / 10, i % 10};
    }
    return found;
}

} // namespace

Q_DECLARE_METATYPE(Tile)

namespace QTest {
template <> char *toString(const Tile &tile) {
    return qstrdup(QByteArray("(" + QByteArray::number(tile.row) + "," +
                              QByteArray::number(tile.column) + ")"));
}
} // namespace QTest

class TestEffectCatalogue : public QObject {
    Q_OBJECT

private slots:
    void everyTableIsAPermutationOfTheSteps() {
        QCOMPARE(tables().size(), 69);
        for (int n = 1; n <= 69; ++n) {
            const QStringList &table = tables().at(n - 1);
            QCOMPARE(table.size(), 100);
            QList<int> steps;
            for (const QString &entry : table)
                steps.append(int(form::lenientNumber(entry)));
            std::sort(steps.begin(), steps.end());
            for (int i = 0; i < 100; ++i)
                QVERIFY2(steps.at(i) == i + 1, qPrintable(QStringLiteral("effect %1").arg(n)));
        }
    }

    void effectsTwentyAndTwentyOneAreTheSame() {
        QCOMPARE(tables().at(19), tables().at(20));
        QVERIFY(tables().at(18) != tables().at(19));
    }

    void effectSixtyEightKeepsItsTrailingBlanks() {
        const QStringList &table = tables().at(67);
        for (int step : {17, 18, 19}) {
            const QString padded = QString::number(step) + u' ';
            QVERIFY(table.contains(padded));
            QCOMPARE(form::lenientNumber(padded), double(step));
        }
        QCOMPARE(table.filter(QStringLiteral(" ")).size(), 3);
        // Rows 0 and 9 come first, each from the left: step 17 is row 9, column 6.
        QCOMPARE(tileAt(68, 17), (Tile{9, 6}));
    }

    void aTableReadAloneIsTheSameAsInTheWholeCatalogue() {
        for (int n = 1; n <= 69; ++n)
            QCOMPARE(reveal::effectTable(n), tables().at(n - 1));
        QVERIFY(reveal::effectTable(0).isEmpty());
        QVERIFY(reveal::effectTable(70).isEmpty());
    }

    void namesAreTwoDigits() {
        const QStringList names = reveal::effectNames();
        QCOMPARE(names.size(), 69);
        QCOMPARE(names.first(), QStringLiteral("01"));
        QCOMPARE(names.at(8), QStringLiteral("09"));
        QCOMPARE(names.last(), QStringLiteral("69"));
    }

    void parserKeepsEntriesAndSkipsComments() {
        const auto parsed = reveal::parseEffectTables(u"# note\r\neffect 02\r\n7 \t8\n\n9\n");
        QCOMPARE(parsed.size(), 69);
        QCOMPARE(parsed.at(1),
                 (QStringList{QStringLiteral("7 "), QStringLiteral("8"), QStringLiteral("9")}));
        QVERIFY(parsed.at(0).isEmpty());
    }

    // Tiles worked out by hand from each effect's rule.
    void tilesAtSteps_data() {
        QTest::addColumn<int>("effect");
        QTest::addColumn<int>("step");
        QTest::addColumn<Tile>("tile");
        const struct {
            int effect, step, row, column;
        } checks[] = {
            {1, 1, 0, 0},
            {1, 100, 9, 9},
            {2, 1, 4, 0},
            {2, 11, 5, 0},
            {2, 100, 9, 9},
            {3, 1, 9, 0},
            {4, 1, 9, 9},
            {6, 1, 0, 9},
            {6, 11, 9, 9},
            {8, 1, 4, 9},
            {17, 1, 0, 0},
            {17, 19, 9, 9},
            {17, 37, 1, 1},
            {17, 98, 5, 4},
            {17, 100, 4, 5},
            {18, 1, 4, 5},
            {18, 64, 1, 1},
            {18, 100, 0, 0},
            {43, 1, 0, 0},
            {43, 26, 0, 9},
            {7, 19, 4, 0},
            {7, 49, 1, 0},
            {7, 80, 7, 9},
            {7, 89, 0, 6},
            {10, 21, 1, 0},
            {10, 37, 0, 8},
            {10, 53, 7, 9},
            {10, 93, 5, 0},
            {13, 51, 9, 9},
            {13, 100, 0, 1},
            {15, 21, 1, 0},
            {15, 59, 7, 0},
            {15, 84, 9, 6},
            {15, 85, 0, 4},
            {16, 21, 3, 4},
            {16, 100, 8, 9},
            {20, 2, 1, 0},
            {20, 46, 9, 0},
            {26, 91, 9, 0},
            {27, 91, 0, 0},
            {28, 5, 0, 1},
            {28, 61, 1, 4},
            {28, 89, 3, 4},
            {28, 100, 5, 4},
            {29, 37, 8, 1},
            {30, 2, 5, 4},
            {30, 12, 0, 0},
            {30, 56, 0, 1},
            {30, 100, 7, 9},
            {31, 37, 5, 3},
            {31, 61, 3, 7},
            {31, 84, 2, 0},
            {31, 100, 9, 0},
            {32, 20, 0, 5},
            {32, 65, 9, 3},
            {32, 69, 2, 3},
            {32, 100, 7, 0},
            {33, 6, 0, 4},
            {33, 39, 5, 8},
            {33, 55, 4, 5},
            {33, 100, 6, 0},
            {38, 100, 9, 0},
            {39, 20, 0, 0},
            {39, 64, 0, 8},
            {39, 92, 7, 0},
            {39, 100, 3, 8},
            {46, 15, 4, 9},
            {46, 67, 8, 9},
            {46, 100, 1, 2},
            {47, 23, 2, 0},
            {47, 74, 0, 0},
            {47, 100, 6, 9},
            {48, 5, 4, 0},
            {48, 17, 5, 5},
            {48, 65, 1, 2},
            {48, 100, 6, 8},
            {49, 10, 0, 4},
            {49, 21, 5, 3},
            {49, 77, 6, 8},
            {50, 9, 4, 5},
            {50, 31, 4, 4},
            {50, 100, 2, 0},
            {51, 8, 9, 0},
            {51, 43, 9, 4},
            {51, 100, 8, 6},
            {53, 3, 3, 1},
            {53, 37, 5, 1},
            {53, 100, 3, 0},
            {54, 5, 4, 3},
            {54, 100, 1, 9},
            {55, 29, 4, 8},
            {55, 64, 1, 9},
            {55, 100, 9, 2},
            {61, 6, 5, 0},
            {61, 21, 2, 3},
            {61, 45, 0, 0},
            {61, 100, 8, 7},
            {62, 21, 0, 9},
            {62, 69, 0, 4},
            {62, 100, 9, 4},
            {63, 10, 0, 9},
            {63, 38, 2, 7},
            {63, 100, 8, 0},
            {64, 13, 9, 0},
            {64, 47, 0, 1},
            {64, 100, 0, 7},
            {69, 27, 5, 5},
            {69, 68, 9, 0},
            {69, 88, 1, 3},
            {69, 100, 7, 7},
            // Drawn by hand: the corners of 52 at steps 19 to 22, 59 ending at (5,1).
            {52, 19, 0, 0},
            {52, 22, 0, 9},
            {59, 100, 5, 1},
            {67, 1, 0, 4},
            {5, 100, 6, 4},
        };
        for (const auto &c : checks) {
            QTest::addRow("effect %02d step %d", c.effect, c.step)
                << c.effect << c.step << Tile{c.row, c.column};
        }
    }

    void tilesAtSteps() {
        QFETCH(int, effect);
        QFETCH(int, step);
        QFETCH(Tile, tile);
        QCOMPARE(tileAt(effect, step), tile);
    }
};

QTEST_APPLESS_MAIN(TestEffectCatalogue)
#include "tst_effectcatalogue.moc"
