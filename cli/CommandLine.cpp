#include "cli/CommandLine.h"

#include "cli/CommandLineChecks.h"
#include "export/SafeFile.h"

#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace commandline {

namespace {

void keepOnlyGraveMessages(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fputs(qPrintable(message + u'\n'), stderr);
}

} // namespace

CommandLine::CommandLine(int argc, char *argv[])
    : m_argc(argc)
    , m_argv(argv)
    , m_program(argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName()
                         : QStringLiteral("tessaline")) {}

std::optional<int> CommandLine::parse() {
    QString unreadable;
    const std::optional<QStringList> arguments = argumentsOf(m_argc, m_argv, &unreadable);
    if (!arguments)
        return usage(unreadable);
    if (!m_parser.parse(*arguments))
        return usage(m_parser.errorText());
    if (const QString repeated = repeatedOption(m_parser); !repeated.isEmpty())
        return usage(QStringLiteral("--%1 is given more than once").arg(repeated));
    return std::nullopt;
}

std::optional<int> CommandLine::refuseArguments() const {
    if (m_parser.positionalArguments().isEmpty())
        return std::nullopt;
    return usage(QStringLiteral("unexpected argument '%1'")
                     .arg(m_parser.positionalArguments().constFirst()));
}

int CommandLine::fail(int status, const QString &message) const {
    // A message never continues the frame count on its line.
    if (*m_progressShown) {
        std::fputc('\n', stderr);
        *m_progressShown = false;
    }
    return report(m_program, message, status);
}

exporting::Progress CommandLine::terminalProgress() const {
    if (!isatty(STDERR_FILENO))
        return {};
    return [program = m_program, shown = m_progressShown](int done, int total) {
        std::fprintf(stderr, "\r%s: frame %d of %d", qPrintable(program), done, total);
        *shown = done != total;
        if (done == total)
            std::fputc('\n', stderr);
        return true;
    };
}

void CommandLine::workWithoutDisplay() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    exporting::removeTemporariesOnStop();
    qInstallMessageHandler(keepOnlyGraveMessages);
}

} // namespace commandline
