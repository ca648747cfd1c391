#include "app/WindowCommandLine.h"

#include "app/PhotoOptions.h"
#include "cli/CommandLine.h"
#include "cli/FileCommands.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Prints `text` on stdout, and says so when it couldn't (a full disk, a closed pipe).
int printed(const commandline::CommandLine &line, const QString &text) {
    std::fputs(qPrintable(text), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return line.fail(1, QStringLiteral("cannot write to standard output: %1")
                                .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return 0;
}

} // namespace

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
    // --help and --version take no arguments either.
    if (const std::optional<int> status = line.refuseArguments())
        return status;
    if (parser.isSet(help)) {
        // The help text names the program as it was called, which it learns
        // from an application object; a console one needs no display.
        QCoreApplication console(line.argc(), line.argv());
        return printed(line, parser.helpText() + commandline::fileCommandsHelp());
    }
    if (parser.isSet(version)) {
        return printed(line, QCoreApplication::applicationName() + u' ' +
                                 QCoreApplication::applicationVersion() + u'\n');
    }
    photos.read(parser);
    return std::nullopt;
}
