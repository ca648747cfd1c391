#include "export/LumaCommand.h"

#include "app/ApplicationSetup.h"
#include "export/CommandLineChecks.h"
#include "export/LumaMap.h"
#include "export/RevealRecorder.h"
#include "export/SafeFile.h"
#include "reveal/EffectCatalogue.h"
#include "reveal/RevealRun.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include <cstdio>

namespace {

struct LumaRequest {
    QString folder;
    QSize size{1920, 1080};
    QString format = QStringLiteral("pgm");
};

void quietExceptForErrors(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fputs(qPrintable(message + u'\n'), stderr);
}

// Reads the command line; on a mistake, the message to print.
std::optional<LumaRequest> parseRequest(const QStringList &arguments, QString &problem) {
    QCommandLineParser parser;
    const QCommandLineOption luma(QStringLiteral("luma"),
                                  QStringLiteral("Write the 69 luma maps into <folder>."),
                                  QStringLiteral("folder"));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("The maps' size, 1920x1080 unless given."),
                                  QStringLiteral("WxH"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("pgm (16-bit, the default) or png."),
                                    QStringLiteral("format"));
    parser.addOptions({luma, size, format});

    if (!parser.parse(arguments)) {
        problem = parser.errorText();
        return std::nullopt;
    }
    if (const QString repeated = commandline::repeatedOption(parser); !repeated.isEmpty()) {
        problem = QStringLiteral("--%1 is given more than once").arg(repeated);
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        problem = QStringLiteral("unexpected argument '%1'")
                      .arg(parser.positionalArguments().constFirst());
        return std::nullopt;
    }
    LumaRequest request;
    request.folder = parser.value(luma);
    if (request.folder.isEmpty()) {
        problem = QStringLiteral("--luma needs a folder");
        return std::nullopt;
    }
    if (parser.isSet(size)) {
        const std::optional<QSize> parsed = commandline::frameSize(parser.value(size));
        if (!parsed) {
            problem = QStringLiteral("bad size '%1': give WxH, each side from %2 to %3")
                          .arg(parser.value(size))
                          .arg(commandline::kMinSide)
                          .arg(commandline::kMaxSide);
            return std::nullopt;
        }
        request.size = *parsed;
    }
    if (parser.isSet(format)) {
        request.format = parser.value(format).toLower();
        if (request.format != QLatin1String("pgm") && request.format != QLatin1String("png")) {
            problem =
                QStringLiteral("unknown format '%1': give pgm or png").arg(parser.value(format));
            return std::nullopt;
        }
    }
    return request;
}

// A map as the bytes of its file.
QByteArray encodeMap(const QImage &map, const QString &format) {
    if (format != QLatin1String("png"))
        return exporting::toPgm16(map);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    // An empty result is a map that couldn't be encoded.
    return QImageWriter(&buffer, "png").write(map) ? png : QByteArray();
}

QString mapsWritten(int count) {
    if (count == 0)
        return QStringLiteral("no map was written");
    if (count == 1)
        return QStringLiteral("the 1 map before it was written");
    return QStringLiteral("the %1 maps before it were written").arg(count);
}

int writeMaps(const LumaRequest &request, const QString &program) {
    const QFileInfo folder(request.folder);
    if (!folder.isDir())
        return commandline::report(program,
                                   QDir::toNativeSeparators(request.folder) +
                                       (folder.exists() ? QStringLiteral(": not a folder")
                                                        : QStringLiteral(": no such folder")),
                                   1);

    const QDir dir(request.folder);
    for (int effect = 1; effect <= reveal::kEffectCount; ++effect) {
        const QList<reveal::StepCell> run = reveal::RevealRun::stepsOfEffect(effect);
        if (run.isEmpty())
            return commandline::report(program, QStringLiteral("there is no effect %1").arg(effect),
                                       1);
        const QString path = dir.filePath(QStringLiteral("tessaline-%1.%2")
                                              .arg(effect, 2, 10, QLatin1Char('0'))
                                              .arg(request.format));
        // Each map goes through the writer every file does, whole or not at
        // all; a link at a map's name is replaced, never written through.
        const QByteArray bytes = encodeMap(exporting::lumaMap(run, request.size), request.format);
        QString error;
        if (bytes.isEmpty())
            return commandline::report(
                program, QStringLiteral("cannot encode %1; ").arg(path) + mapsWritten(effect - 1),
                1);
        const bool written = exporting::writeSafely(
            path,
            [&](QIODevice &out, QString *reason) {
                return exporting::writeAll(out, bytes.constData(), bytes.size(), reason);
            },
            &error, exporting::Links::Replace);
        if (!written)
            return commandline::report(program,
                                       error + QStringLiteral("; ") + mapsWritten(effect - 1), 1);
    }
    return 0;
}

} // namespace

std::optional<int> runLumaCommand(int argc, char *argv[]) {
    if (commandline::modeOf(argc, argv) != commandline::Mode::Luma)
        return std::nullopt;

    const QString program = argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName()
                                     : QStringLiteral("tessaline");
    QString problem;
    const std::optional<QStringList> arguments = commandline::argumentsOf(argc, argv, &problem);
    if (!arguments)
        return commandline::report(program, problem, 2);
    const std::optional<LumaRequest> request = parseRequest(*arguments, problem);
    if (!request)
        return commandline::report(program, problem, 2);

    // The maps come from the window's own reveal, run where no display is needed.
    // Qt's remarks about that platform (no runtime folder, say) are no concern
    // of a file export, whose own errors are one line each.
    qInstallMessageHandler(quietExceptForErrors);
    exporting::useOffscreenPlatform();
    QApplication app(argc, argv);
    setUpApplication(app);
    return writeMaps(*request, program);
}
