#include "WindowTest.h"
#include "app/Tessaline.h"

#include <QAccessible>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Run {
    bool finished = false;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    QString out;
    QString err;
};

// The environment the program would meet on a text console: no display at all.
QProcessEnvironment withoutDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
                                QStringLiteral("QT_QPA_PLATFORM")})
        env.remove(name);
    return env;
}

QProcessEnvironment withOffscreenDisplay() {
    QProcessEnvironment env = withoutDisplay();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

Run runProgram(const QStringList &arguments, const QProcessEnvironment &env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TESSALINE_BINARY), arguments);
    Run run;
    run.finished = process.waitForFinished(10000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitStatus = process.exitStatus();
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

bool isOneLine(const QString &text) {
    return text.endsWith(u'\n') && text.count(u'\n') == 1 && text.size() > 1;
}

bool isBulgarian(const QString &text) {
    static const QRegularExpression cyrillic(QStringLiteral("\\p{Cyrillic}"));
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    return text.contains(cyrillic) && !text.contains(latin);
}

QString keyOf(const QString &desktopEntry, const QString &key) {
    QFile file(desktopEntry);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString prefix = key + u'=';
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return {};
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window = std::make_unique<Tessaline>();
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void optionsAreAnsweredWithoutOpeningTheWindow_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");

        const QString version =
            QStringLiteral("Tessaline %1\n").arg(QCoreApplication::applicationVersion());
        const QString help = QStringLiteral("(?s)^Usage: \\S*tessaline \\[options\\]\n.*"
                                            "-h, --help.*-v, --version.*\n$");
        const QString unknown = QStringLiteral("^tessaline: Unknown option 'frobnicate'\\.\n$");
        const QString unexpected = QStringLiteral("^tessaline: unexpected argument 'photo.jpg'\n$");

        QTest::newRow("--help") << QStringList{"--help"} << false << 0 << help << "^$";
        QTest::newRow("-h") << QStringList{"-h"} << false << 0 << help << "^$";
        QTest::newRow("--version") << QStringList{"--version"} << false << 0
                                   << "^" + QRegularExpression::escape(version) + "$"
                                   << "^$";
        QTest::newRow("unknown option")
            << QStringList{"--frobnicate"} << false << 2 << "^$" << unknown;
        // With a display at hand a mistake still opens no window: the
        // program ends instead of waiting for the window to be closed.
        QTest::newRow("unknown option, display")
            << QStringList{"--frobnicate"} << true << 2 << "^$" << unknown;
        QTest::newRow("help beside a mistake")
            << QStringList{"--help", "--frobnicate"} << true << 2 << "^$" << unknown;
        QTest::newRow("argument") << QStringList{"photo.jpg"} << true << 2 << "^$" << unexpected;
    }

    void optionsAreAnsweredWithoutOpeningTheWindow() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, display);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);

        const Run run = runProgram(arguments, display ? withOffscreenDisplay() : withoutDisplay());
        QVERIFY2(run.finished, "the program kept running");
        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QRegularExpression(out).match(run.out).hasMatch(), qPrintable(run.out));
        QVERIFY2(QRegularExpression(err).match(run.err).hasMatch(), qPrintable(run.err));
    }

    void withoutADisplayItSaysSoInOneLine_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing set") << ""
                                     << ""
                                     << "DISPLAY and WAYLAND_DISPLAY are not set";
        QTest::newRow("no X server") << ":4711"
                                     << ""
                                     << "cannot open display :4711";
        QTest::newRow("xcb asked, no X") << ""
                                         << "xcb"
                                         << "QT_QPA_PLATFORM=xcb";
    }

    void withoutADisplayItSaysSoInOneLine() {
        QFETCH(QString, display);
        QFETCH(QString, platform);
        QFETCH(QString, message);
        QProcessEnvironment env = withoutDisplay();
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        if (!platform.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);

        const Run run = runProgram({}, env);
        QVERIFY(run.finished);
        QCOMPARE(run.exitStatus, QProcess::NormalExit); // no abort, no core dump
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(isOneLine(run.err), qPrintable(run.err));
        QVERIFY2(run.err.startsWith(QStringLiteral("tessaline: ")), qPrintable(run.err));
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(run.out, QString());
    }

    void withoutArgumentsTheWindowOpensAndStays() {
        QProcess process;
        process.setProcessEnvironment(withOffscreenDisplay());
        process.start(QStringLiteral(TESSALINE_BINARY), QStringList{});
        QVERIFY(process.waitForStarted());
        QVERIFY2(!process.waitForFinished(1500), process.readAllStandardError().constData());
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        process.kill();
        process.waitForFinished();
    }

    void applicationNamesItsDesktopEntry() {
        const QString entry = QStringLiteral(TESSALINE_DESKTOP_FILE);
        QCOMPARE(QGuiApplication::desktopFileName() + QStringLiteral(".desktop"),
                 QFileInfo(entry).fileName());
        QCOMPARE(keyOf(entry, QStringLiteral("Icon")), QGuiApplication::desktopFileName());
        QCOMPARE(keyOf(entry, QStringLiteral("Exec")),
                 QFileInfo(QStringLiteral(TESSALINE_BINARY)).fileName());
        QCOMPARE(keyOf(entry, QStringLiteral("Name")), Tessaline::title());
        QVERIFY(isBulgarian(keyOf(entry, QStringLiteral("Comment[bg]"))));
        QVERIFY(!keyOf(entry, QStringLiteral("Comment")).isEmpty());
    }

    void tabFollowsTheFocusOrder() {
        Tessaline &w = *m_window;
        w.Picture1(0).setFocus();
        const QList<QWidget *> forward = {&w.Picture1(1), w.List1, w.Command2, w.Text1,
                                          &w.Picture1(0)};
        for (QWidget *expected : forward) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), w.Text1);
    }

    void arrowKeysMoveTheListSelection() {
        form::ListBox *list = m_window->List1;
        list->setFocus();
        QCOMPARE(list->listIndex(), 0);
        QTest::keyClick(list, Qt::Key_Up); // already at the top
        QCOMPARE(list->listIndex(), 0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->listIndex(), 2);
        QCOMPARE(list->selectedItems().value(0)->text(), QStringLiteral("03"));
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(list->listIndex(), 1);
        QTest::keyClick(list, Qt::Key_End);
        QTest::keyClick(list, Qt::Key_Down); // already at the bottom
        QCOMPARE(list->listIndex(), 68);
        QCOMPARE(list->selectedItems().size(), 1);
    }

    void keysScrollTheDescriptionWithoutATextCursor() {
        form::TextBox *text = m_window->Text1;
        text->setFocus();
        QTest::keyClick(text, Qt::Key_A); // the description takes no typing
        QCOMPARE(text->toPlainText().size(), 915);
        QCOMPARE(text->verticalScrollBar()->value(), 0);
        QTest::keyClick(text, Qt::Key_Down);
        QVERIFY(text->verticalScrollBar()->value() > 0);
        QTest::keyClick(text, Qt::Key_End);
        QCOMPARE(text->verticalScrollBar()->value(), text->verticalScrollBar()->maximum());
        QVERIFY(!(text->textInteractionFlags() & Qt::TextSelectableByKeyboard));
    }

    void spaceOnTheFocusedButtonActsAsAClick() {
        Tessaline &w = *m_window;
        const QImage cover = w.Picture1(1).surface();
        w.List1->setFocus();
        QTest::keyClick(w.List1, Qt::Key_Down);
        QTest::keyClick(w.List1, Qt::Key_Down);
        QTest::keyClick(w.List1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.Command2);

        QSignalSpy clicks(w.Command2, &QPushButton::clicked);
        QTest::keyClick(w.Command2, Qt::Key_Space);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(w.EffectNo, quint8(3));
        QVERIFY(!w.Command2->isEnabled());
        QVERIFY(w.Timer1->isEnabled());
        QVERIFY(w.Picture1(1).surface() != cover); // the first tile is already there
    }

    void everyVisibleControlIsDescribedInBulgarian() {
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_window.get());
        QVERIFY(window);
        QVERIFY(isBulgarian(window->text(QAccessible::Description)));

        QStringList described;
        for (int i = 0; i < window->childCount(); ++i) {
            QAccessibleInterface *control = window->child(i);
            QVERIFY(control);
            if (control->state().invisible)
                continue;
            const QString name = control->text(QAccessible::Name);
            const QString description = control->text(QAccessible::Description);
            const QString what = control->object()->objectName();
            // The program's title is the one word of the window in Latin letters.
            QVERIFY2(isBulgarian(name) || name == Tessaline::title(),
                     qPrintable(what + u' ' + name));
            QVERIFY2(isBulgarian(description), qPrintable(what + u' ' + description));
            described.append(what);
        }
        described.sort();
        QCOMPARE(described, (QStringList{"Command2", "Label1(0)", "Label1(1)", "List1",
                                         "Picture1(0)", "Picture1(1)", "Text1"}));

        // What the screen reader says for the button is what the button shows.
        QAccessibleInterface *button = QAccessible::queryAccessibleInterface(m_window->Command2);
        QCOMPARE(button->text(QAccessible::Name), m_window->Command2->text());
        QCOMPARE(button->role(), QAccessible::Button);
    }

    void buttonBevelKeepsToItsEdgeAtDoubleDensity() {
        form::CommandButton *button = m_window->Command2;
        for (const int ratio : {1, 2}) {
            QImage face(button->size() * ratio, QImage::Format_RGB32);
            face.setDevicePixelRatio(ratio);
            face.fill(Qt::green);
            button->render(&face);
            const int right = face.width() - 1, bottom = face.height() - 1;
            const int midX = face.width() / 2, midY = face.height() / 2;
            for (int d = 0; d < ratio; ++d) {
                // One logical pixel of bevel is `ratio` device pixels, flush
                // with the button's edge: white at the top and left, black at
                // the bottom and right.
                QCOMPARE(face.pixelColor(midX, d), QColor(Qt::white));
                QCOMPARE(face.pixelColor(d, midY), QColor(Qt::white));
                QCOMPARE(face.pixelColor(midX, bottom - d), QColor(Qt::black));
                QCOMPARE(face.pixelColor(right - d, midY), QColor(Qt::black));
            }
        }
    }

private:
    std::unique_ptr<Tessaline> m_window;
};

TESSALINE_WINDOW_TEST_MAIN(TestDesktop)

#include "tst_desktop.moc"
