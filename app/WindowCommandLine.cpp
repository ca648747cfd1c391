#include "app/WindowCommandLine.h"

#include "app/PhotoOptions.h"
#include "cli/CommandLine.h"
#include "cli/FileCommands.h"

#include <QCoreApplication>

#include <cstdio>

std::optional<int> answerCommandLine(commandline::CommandLine &line, PhotoOptions &photos) {
    QCommandLineParser &parser = line.parser();
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

    if (const std::optional<int> status = line.parse())
        return status;
    if (parser.isSet(help)) {
        // The help text names the program as it was called, which it learns
        // from an application object; a console one needs no display.
        QCoreApplication console(line.argc(), line.argv());
        std::fputs(qPrintable(parser.helpText() + commandline::fileCommandsHelp()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::fputs(qPrintable(QCoreApplication::applicationName() + u' ' +
                              QCoreApplication::applicationVersion() + u'\n'),
                   stdout);
        return 0;
    }
    if (const std::optional<int> status = line.refuseArguments())
        return status;
    photos.read(parser);
    return std::nullopt;
}
