#pragma once

#include "export/TileAnimation.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace commandline {

// One command line as every mode reads it: the name the program was called
// by, the arguments checked byte for byte, one parser, and one line on stderr
// for each mistake.
class CommandLine {
public:
    CommandLine(int argc, char *argv[]);

    const QString &program() const { return m_program; }
    QCommandLineParser &parser() { return m_parser; }
    const QCommandLineParser &parser() const { return m_parser; }
    int &argc() { return m_argc; }
    char **argv() const { return m_argv; }

    // Reads the arguments with the options the parser was given. An argument
    // that isn't valid in the locale's encoding, an unknown option and an
    // option given twice are mistakes: reported, with the usage status 2.
    std::optional<int> parse();
    // The arguments that aren't options, which most modes take none of.
    std::optional<int> refuseArguments() const;

    // Prints "program: message" as one line and returns `status`.
    int fail(int status, const QString &message) const;
    int usage(const QString &message) const { return fail(2, message); }

    // Counts frames on a terminal; says nothing into a pipe or a log.
    exporting::Progress terminalProgress() const;

    // Files are made on Qt's offscreen platform whatever display there is, or
    // none, and a file mode speaks only in its own one-line messages: Qt's
    // notes about the session (no XDG_RUNTIME_DIR over SSH, say) are left out,
    // its errors kept. A stop signal removes the file being written. Call it
    // before the application object is made.
    static void workWithoutDisplay();

private:
    int m_argc;
    char **m_argv;
    QString m_program;
    QCommandLineParser m_parser;
    // Whether the last thing on stderr is an unfinished frame count.
    std::shared_ptr<bool> m_progressShown = std::make_shared<bool>(false);
};

} // namespace commandline
