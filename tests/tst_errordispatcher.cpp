#include "form/CheckedInt.h"
#include "form/ErrorDispatcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

// The child half of reportsInAMessageBoxAndEnds: a handler that overflows,
// entered the way the program enters every handler.
int runFailingHandler(int argc, char *argv[]) {
    QApplication app(argc, argv);
    form::setApplicationTitle(QStringLiteral("Tessaline"));
    QTimer::singleShot(100, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        std::printf("title=%s\ntext=%s\n", qPrintable(box->windowTitle()),
                    qPrintable(box->text().replace(u'\n', u'|')));
        std::fflush(stdout);
        box->accept();
    });
    QTimer::singleShot(0, [] { form::dispatch([] { form::toByte(256); }); });
    app.exec();
    return 0; // not reached: the error ends the program
}

} // namespace

class TestErrorDispatcher : public QObject {
    Q_OBJECT

private slots:
    void handlerErrorsGoToTheReporter() {
        int reported = 0;
        form::setErrorReporter([&](const form::RuntimeError &error) { reported = error.number(); });
        form::dispatch([] { throw form::RuntimeError::subscriptOutOfRange(); });
        QCOMPARE(reported, 9);
        form::dispatch([] { form::checkedAdd<qint16>(32767, 1); });
        QCOMPARE(reported, 6);
        form::setErrorReporter(nullptr);
    }

    void noHandlerRunsWhileAnErrorIsReported() {
        // As under the message box: an event loop, and a timer whose ticks
        // are handlers.
        int ticks = 0;
        int reports = 0;
        form::setErrorReporter([&](const form::RuntimeError &) {
            ++reports;
            QTimer timer;
            QObject::connect(&timer, &QTimer::timeout, [&] { form::dispatch([&] { ++ticks; }); });
            timer.start(5);
            QTest::qWait(100);
        });
        form::dispatch([] { throw form::RuntimeError::subscriptOutOfRange(); });
        QCOMPARE(reports, 1);
        QCOMPARE(ticks, 0);

        // A reporter that returns (only tests have one) leaves dispatch working.
        form::dispatch([&] { ++ticks; });
        QCOMPARE(ticks, 1);
        form::setErrorReporter(nullptr);
    }

    void handlerWithoutErrorRunsOnce() {
        int runs = 0;
        form::dispatch([&] { ++runs; });
        QCOMPARE(runs, 1);
    }

    void reportsInAMessageBoxAndEnds() {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TST_ERRORDISPATCHER_CHILD"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(20000));
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        QVERIFY2(out.contains(QStringLiteral("title=Tessaline\n")), qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral("text=Run-time error '6':||Overflow")),
                 qPrintable(out));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QVERIFY(child.exitCode() != 0);
    }
};

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsSet("TST_ERRORDISPATCHER_CHILD"))
        return runFailingHandler(argc, argv);
    QCoreApplication app(argc, argv);
    TestErrorDispatcher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_errordispatcher.moc"
