#include "VerifyRuntimeError.h"
#include "form/CheckedInt.h"

#include <QTest>

using namespace form;

class TestCheckedInt : public QObject {
    Q_OBJECT

private slots:
    void conversionsOverflowExactlyAtTheirBounds() {
        QCOMPARE(toByte(0), quint8(0));
        QCOMPARE(toByte(255), quint8(255));
        VERIFY_RUNTIME_ERROR(toByte(256));
        VERIFY_RUNTIME_ERROR(toByte(-1));

        QCOMPARE(toInteger(32767), qint16(32767));
        QCOMPARE(toInteger(-32768), qint16(-32768));
        VERIFY_RUNTIME_ERROR(toInteger(32768));
        VERIFY_RUNTIME_ERROR(toInteger(-32769));

        QCOMPARE(toLong(2147483647LL), qint32(2147483647));
        VERIFY_RUNTIME_ERROR(toLong(2147483648LL));
    }

    void overflowIsErrorSixNeverAWrap() {
        try {
            checkedAdd<qint16>(32767, 1);
            QFAIL("no overflow raised");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.number(), 6);
            QCOMPARE(error.description(), QStringLiteral("Overflow"));
        }
        QCOMPARE(checkedAdd<qint16>(32766, 1), qint16(32767));
        QCOMPARE(checkedAdd<qint32>(50, -2), 48);
        VERIFY_RUNTIME_ERROR(checkedAdd<qint32>(-2147483647 - 1, -1));
        VERIFY_RUNTIME_ERROR(checkedMul<qint16>(280, 118));
        QCOMPARE(checkedMul<qint16>(280, 9), qint16(2520));
    }

    void fractionsRoundHalfToEven() {
        QCOMPARE(toInteger(2.5), qint16(2));
        QCOMPARE(toInteger(3.5), qint16(4));
        QCOMPARE(toInteger(-2.5), qint16(-2));
        QCOMPARE(toLong(14.49), 14);
        QCOMPARE(toByte(255.4), quint8(255));
        VERIFY_RUNTIME_ERROR(toByte(255.5));
        VERIFY_RUNTIME_ERROR(toByte(-0.5 - 0.01));
        QCOMPARE(toByte(-0.5), quint8(0));
    }
};

QTEST_APPLESS_MAIN(TestCheckedInt)
#include "tst_checkedint.moc"
