#include "WindowTest.h"
#include "app/Tessaline.h"

#include <QAccessible>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    bool finished = false;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    QString out;
    QString err;
};

// The environment the program would meet on a text console: no display at all,
// and a runtime directory of its own with no Wayland socket in it.
QProcessEnvironment withoutDisplay() {
    static QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &name :
         {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
          QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("XDG_SESSION_TYPE")})
        env.remove(name);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
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

// A display server started for one test: a bare Xvfb, or a headless Weston
// whose socket is wayland-0 in a runtime directory of its own.
class DisplayServer {
public:
    static std::unique_ptr<DisplayServer> startX() {
        auto server = std::make_unique<DisplayServer>();
        // Xvfb writes the display number it found free to the given descriptor.
        server->m_process.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-nolisten", "tcp",
                                                         "-screen", "0", "800x600x24"});
        QByteArray number;
        while (!number.endsWith('\n') && server->m_process.waitForReadyRead(10000))
            number += server->m_process.readAllStandardOutput();
        if (number.trimmed().isEmpty())
            return nullptr;
        server->m_environment.insert(QStringLiteral("DISPLAY"),
                                     u':' + QString::fromLatin1(number.trimmed()));
        return server;
    }

    static std::unique_ptr<DisplayServer> startWayland() {
        auto server = std::make_unique<DisplayServer>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), server->m_runtime.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        server->m_process.setProcessEnvironment(env);
        server->m_process.start(QStringLiteral("weston"), {"--backend=headless-backend.so",
                                                           "--socket=wayland-0", "--idle-time=0"});
        if (!server->m_process.waitForStarted())
            return nullptr;
        const QString socket = server->m_runtime.filePath(QStringLiteral("wayland-0"));
        QDeadlineTimer deadline(10000);
        while (!QFileInfo::exists(socket) && !deadline.hasExpired() &&
               server->m_process.state() == QProcess::Running)
            QTest::qWait(50);
        if (!QFileInfo::exists(socket))
            return nullptr;
        server->m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), server->m_runtime.path());
        return server;
    }

    ~DisplayServer() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished();
    }

    // What a program needs in its environment to reach this server.
    void addTo(QProcessEnvironment &env) const {
        for (const QString &name : m_environment.keys())
            env.insert(name, m_environment.value(name));
    }

private:
    QProcess m_process;
    QTemporaryDir m_runtime;
    QProcessEnvironment m_environment;
};

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

// The shared libraries a running program has mapped, by file name without
// the version ("libQt6Core.so").
QSet<QString> mappedLibraries(qint64 pid) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    QSet<QString> names;
    if (!maps.open(QIODevice::ReadOnly | QIODevice::Text))
        return names;
    static const QRegularExpression library(QStringLiteral("/([^/ ]+\\.so)(\\.[0-9.]+)?$"));
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const QRegularExpressionMatch match = library.match(QString::fromLocal8Bit(line));
        if (match.hasMatch())
            names.insert(match.captured(1));
    }
    return names;
}

// What a window program maps once it has painted and sat still for a moment,
// on Qt's offscreen platform.
QSet<QString> librariesOfAStillWindow(const QString &program) {
    QProcess process;
    process.setProcessEnvironment(withOffscreenDisplay());
    process.start(program, QStringList{});
    if (!process.waitForStarted())
        return {};
    QSet<QString> names;
    QDeadlineTimer still(800);
    QDeadlineTimer limit(15000);
    while (!still.hasExpired() && !limit.hasExpired() && process.state() == QProcess::Running) {
        QTest::qWait(100);
        const QSet<QString> now = mappedLibraries(process.processId());
        if (now != names)
            still.setRemainingTime(800);
        names = now;
    }
    process.kill();
    process.waitForFinished();
    return names;
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_window = std::make_unique<Tessaline>();
        m_window->show();
        m_window->activateWindow();
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
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing set") << QStringList{} << "tried xcb (DISPLAY not set)";
        QTest::newRow("no X server") << QStringList{"DISPLAY=:4711"} << "tried xcb (DISPLAY=:4711)";
        QTest::newRow("xcb asked, no X")
            << QStringList{"QT_QPA_PLATFORM=xcb"} << "QT_QPA_PLATFORM=xcb, tried xcb";
        QTest::newRow("broken WAYLAND_DISPLAY")
            << QStringList{"WAYLAND_DISPLAY=tessaline-nowhere"}
            << "tried wayland (WAYLAND_DISPLAY=tessaline-nowhere), xcb (DISPLAY not set)";
        QTest::newRow("wayland asked, no compositor")
            << QStringList{"QT_QPA_PLATFORM=wayland"} << "QT_QPA_PLATFORM=wayland, tried wayland (";
        QTest::newRow("Wayland session, no socket")
            << QStringList{"XDG_SESSION_TYPE=wayland"} << "tried wayland (WAYLAND_DISPLAY not set)";
        QTest::newRow("no such platform")
            << QStringList{"QT_QPA_PLATFORM=nonesuch"} << "tried nonesuch (not installed)";
    }

    void withoutADisplayItSaysSoInOneLine() {
        QFETCH(QStringList, settings);
        QFETCH(QString, message);
        QProcessEnvironment env = withoutDisplay();
        for (const QString &setting : settings)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));

        const Run run = runProgram({}, env);
        QVERIFY(run.finished);
        QCOMPARE(run.exitStatus, QProcess::NormalExit); // no abort, no core dump
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(isOneLine(run.err), qPrintable(run.err));
        QVERIFY2(run.err.startsWith(QStringLiteral("tessaline: cannot open the window: ")),
                 qPrintable(run.err));
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(run.out, QString());
    }

    // Wherever Qt finds a platform that works, the window opens without a
    // word about the ones it passed over.
    void theWindowOpensQuietlyWhereQtCanOpenIt_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QStringList>("settings");
        QTest::newRow("offscreen") << "" << QStringList{"QT_QPA_PLATFORM=offscreen"};
        QTest::newRow("X beside a broken WAYLAND_DISPLAY")
            << "x" << QStringList{"WAYLAND_DISPLAY=tessaline-nowhere"};
        QTest::newRow("X in a Wayland session without a compositor")
            << "x" << QStringList{"XDG_SESSION_TYPE=wayland"};
        QTest::newRow("Wayland socket, WAYLAND_DISPLAY unset")
            << "wayland" << QStringList{"XDG_SESSION_TYPE=wayland"};
    }

    void theWindowOpensQuietlyWhereQtCanOpenIt() {
        QFETCH(QString, server);
        QFETCH(QStringList, settings);
        std::unique_ptr<DisplayServer> display;
        if (server == QLatin1String("x") && !(display = DisplayServer::startX()))
            QSKIP("no Xvfb");
        if (server == QLatin1String("wayland")) {
            if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                                   QStringLiteral("/platforms/libqwayland-generic.so")))
                QSKIP("Qt's Wayland platform is not installed");
            if (!(display = DisplayServer::startWayland()))
                QSKIP("no headless Weston");
        }
        QProcessEnvironment env = withoutDisplay();
        if (display)
            display->addTo(env);
        for (const QString &setting : settings)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));

        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TESSALINE_BINARY), QStringList{});
        QVERIFY(process.waitForStarted());
        QVERIFY2(!process.waitForFinished(1500), process.readAllStandardError().constData());
        QCOMPARE(process.readAllStandardError(), QByteArray());
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        process.kill();
        process.waitForFinished();
    }

    // The window starts as light as the same window made of stock Qt
    // widgets: what only the file-making modes need (the video encoders, the
    // animation writers) is loaded when the first such file is written.
    void theWindowMapsOnlyWhatAStockQtWindowMaps() {
        const QSet<QString> stock = librariesOfAStillWindow(QStringLiteral(TESSALINE_STOCK_WINDOW));
        QVERIFY(stock.contains(QStringLiteral("libQt6Widgets.so")));
        const QSet<QString> ours = librariesOfAStillWindow(QStringLiteral(TESSALINE_BINARY));
        QVERIFY(ours.contains(QStringLiteral("libQt6Widgets.so")));
        // Beyond those, more of Qt and the X11 client library, which the
        // program talks to the X server with and Qt's own X11 platform loads.
        static const QRegularExpression allowed(
            QStringLiteral("^lib(Qt6\\w+|xcb|Xau|Xdmcp)\\.so$"));
        QStringList extra;
        for (const QString &name : ours - stock) {
            if (!allowed.match(name).hasMatch())
                extra.append(name);
        }
        extra.sort();
        QVERIFY2(extra.isEmpty(), qPrintable(extra.join(QStringLiteral(", "))));
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

    // As in the list boxes the program was made for, the selection can be moved
    // but never cleared: the button always has an effect to run.
    void theListAlwaysKeepsOneItemSelected() {
        Tessaline &w = *m_window;
        form::ListBox *list = w.List1;
        list->setFocus();
        auto clickItem = [list](int row, Qt::KeyboardModifiers modifiers) {
            const QRect item = list->visualItemRect(list->item(row));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, item.center());
        };
        auto selectedRows = [list] {
            QList<int> rows;
            for (const QListWidgetItem *item : list->selectedItems())
                rows.append(list->row(item));
            return rows;
        };

        clickItem(0, Qt::ControlModifier);
        QCOMPARE(selectedRows(), QList<int>{0});
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(selectedRows(), QList<int>{0});

        clickItem(2, Qt::ControlModifier); // Ctrl+click elsewhere still moves it
        QCOMPARE(selectedRows(), QList<int>{2});
        clickItem(2, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(selectedRows().size(), 1);
        QCOMPARE(selectedRows().constFirst(), list->listIndex());

        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QCOMPARE(int(w.EffectNo), list->listIndex() + 1);
    }

    void keysMoveAReadingCaretThroughTheDescription() {
        form::TextBox *text = m_window->Text1;
        text->setFocus();
        QTest::keyClick(text, Qt::Key_A); // the description takes no typing
        QCOMPARE(text->toPlainText().size(), 915);
        QCOMPARE(text->verticalScrollBar()->value(), 0);
        // Down goes a line at a time, and the text follows the caret.
        QTest::keyClick(text, Qt::Key_Down);
        QCOMPARE(text->textCursor().blockNumber(), 0);
        QVERIFY(text->textCursor().position() > 0);
        QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(text->verticalScrollBar()->value(), text->verticalScrollBar()->maximum());
        // On the last line with text, not on the nothing after its break.
        QCOMPARE(text->textCursor().position(), 914);
        QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(text->verticalScrollBar()->value(), 0);
        QCOMPARE(text->textCursor().position(), 0);
    }

    void spaceOrReturnOnTheFocusedButtonActsAsAClick_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter);
    }

    void spaceOrReturnOnTheFocusedButtonActsAsAClick() {
        QFETCH(int, key);
        Tessaline &w = *m_window;
        const QImage cover = w.Picture1(1).surface();
        w.List1->setFocus();
        QTest::keyClick(w.List1, Qt::Key_Down);
        QTest::keyClick(w.List1, Qt::Key_Down);
        QTest::keyClick(w.List1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.Command2);

        QSignalSpy clicks(w.Command2, &QPushButton::clicked);
        QTest::keyClick(w.Command2, Qt::Key(key));
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
        QCOMPARE(window->role(), QAccessible::Window);
        // The hidden cover is not there at all: no empty, nameless object.
        QCOMPARE(
            window->indexOfChild(QAccessible::queryAccessibleInterface(&m_window->Picture1(2))),
            -1);

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
