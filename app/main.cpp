#include "app/ApplicationSetup.h"
#include "app/Leaving.h"
#include "app/PhotoOptions.h"
#include "app/PlatformStart.h"
#include "app/Tessaline.h"
#include "export/CommandLineChecks.h"
#include "export/ExportCommand.h"
#include "export/LumaCommand.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <optional>
#include <thread>

namespace {

void printLine(FILE *stream, const QString &line) {
    std::fputs(qPrintable(line + u'\n'), stream);
}

// The name the program was called by, to begin each error message with.
QString programName(int argc, char *argv[]) {
    return argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName()
                    : QStringLiteral("tessaline");
}

// The modes that make files instead of opening the window; each reads its
// own options, and `man tessaline` tells the details.
QString fileModesHelp() {
    return QStringLiteral(
        "\nMaking files, with no window and no display needed:\n"
        "  --export FILE [--effect N] [--source F] [--cover F] [--scale K] [--loop]\n"
        "      an effect (1 to 69, default 1) as an animated .gif or .webp\n"
        "  --atlas FILE.png [--scale K]\n"
        "      all 69 effects in one picture, each tile shaded by its step\n"
        "  --luma FOLDER [--size WxH] [--format pgm|png]\n"
        "      the 69 effects as luma maps for a video editor's wipe\n");
}

// Answers --help, --version and mistakes on the command line. None of them
// needs a display, so they work from a text console too. Returns the exit
// status when the program ends here, nothing when the window is to open.
std::optional<int> answerCommandLine(int argc, char *argv[], PhotoOptions &photos) {
    const QString program = programName(argc, argv);
    QString unreadable;
    const std::optional<QStringList> arguments = commandline::argumentsOf(argc, argv, &unreadable);
    if (!arguments)
        return commandline::report(program, unreadable, 2);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows 69 tile-by-tile transitions between two photographs, and a burst "
                       "of coloured dots on a click of the window's background."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    photos.addTo(parser);

    if (!parser.parse(*arguments))
        return commandline::report(program, parser.errorText(), 2);
    if (const QString repeated = commandline::repeatedOption(parser); !repeated.isEmpty())
        return commandline::report(program,
                                   QStringLiteral("--%1 is given more than once").arg(repeated), 2);
    if (parser.isSet(help)) {
        // The help text names the program as it was called, which it learns
        // from an application object; a console one needs no display.
        QCoreApplication console(argc, argv);
        std::fputs(qPrintable(parser.helpText() + fileModesHelp()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        printLine(stdout, QCoreApplication::applicationName() + u' ' +
                              QCoreApplication::applicationVersion());
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return commandline::report(program,
                                   QStringLiteral("unexpected argument '%1'")
                                       .arg(parser.positionalArguments().constFirst()),
                                   2);
    photos.read(parser);
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[]) {
    describeApplication();
    if (const std::optional<int> status = exporting::runFileCommand(argc, argv))
        return *status;
    if (const std::optional<int> status = runLumaCommand(argc, argv))
        return *status;
    PhotoOptions photos;
    if (const std::optional<int> status = answerCommandLine(argc, argv, photos))
        return *status;
    if (const std::optional<int> status = photos.load(programName(argc, argv), 1.0))
        return *status;
    // Fontconfig reads its configuration and font caches the first time a
    // font is asked for, a few milliseconds the window would wait for. Read
    // them on another core while Qt connects to the display instead.
    std::jthread fontconfig([] { FcInit(); });
    watchPlatformStart(programName(argc, argv));
    QApplication app(argc, argv);
    fontconfig.join();
    platformStarted();
    setUpApplication(app);

    Tessaline window;
    photos.applyTo(window);
    // Closing the window ends the program at once, before Qt takes the window
    // down: on Wayland that teardown can race the platform's event thread.
    QObject::connect(&window, &form::Form::closed, [] { leaveWithoutTeardown(0); });
    window.show();
    leaveWithoutTeardown(app.exec());
}
