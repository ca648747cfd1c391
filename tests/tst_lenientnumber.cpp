#include "form/LenientNumber.h"

#include <QTest>

using form::lenientNumber;

class TestLenientNumber : public QObject {
    Q_OBJECT

private slots:
    void readsTheLeadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "45" << 45.0;
        QTest::newRow("trailing blank") << "17 " << 17.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("only blanks") << " \t\n" << 0.0;
        QTest::newRow("blanks inside the digits") << "1 0\t0" << 100.0;
        QTest::newRow("line feed inside") << "9\n9" << 99.0;
        QTest::newRow("decimal point") << "12.5" << 12.5;
        QTest::newRow("second decimal point ends it") << "1.2.3" << 1.2;
        QTest::newRow("letters after the digits") << "42abc" << 42.0;
        QTest::newRow("letters first") << "abc42" << 0.0;
        QTest::newRow("leading minus") << "-7" << -7.0;
        QTest::newRow("leading plus") << " + 8" << 8.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("sign after digits ends it") << "5-3" << 5.0;
        QTest::newRow("carriage return is not a blank") << "1\r2" << 1.0;
    }

    void readsTheLeadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(lenientNumber(text), value);
    }
};

QTEST_APPLESS_MAIN(TestLenientNumber)
#include "tst_lenientnumber.moc"
