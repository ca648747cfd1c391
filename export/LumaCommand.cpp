#include "export/LumaCommand.h"

#include "app/ApplicationSetup.h"
#include "export/LumaMap.h"
#include "export/RevealRecorder.h"
#include "reveal/EffectCatalogue.h"
#include "reveal/RevealRun.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>
#include <QSaveFile>

#include <cstdio>

namespace {

constexpr int kMinSide = 10;
constexpr int kMaxSide = 8192;

struct LumaRequest {
    QString folder;
    QSize size{1920, 1080};
    QString format = QStringLiteral("pgm");
};

void quietExceptForErrors(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fputs(qPrintable(message + u'\n'), stderr);
}

bool asksForMaps(int argc, char *argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--luma" || argument.startsWith("--luma="))
            return true;
    }
    return false;
}

// "1920x1080" (or with a capital X or a multiplication sign), each side
// within the limits.
std::optional<QSize> parseSize(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX×](\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
    if (std::min(size.width(), size.height()) < kMinSide ||
        std::max(size.width(), size.height()) > kMaxSide)
        return std::nullopt;
    return size;
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
        const std::optional<QSize> parsed = parseSize(parser.value(size));
        if (!parsed) {
            problem = QStringLiteral("bad size '%1': give WxH, each side from %2 to %3")
                          .arg(parser.value(size))
                          .arg(kMinSide)
                          .arg(kMaxSide);
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

// Writes one map in place of any file of its name, never half of one.
QString writeMap(const QImage &map, const QString &path, const QString &format) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (format == QLatin1String("png")) {
        QImageWriter writer(&file, "png");
        if (!writer.write(map))
            return writer.errorString();
    } else {
        const QByteArray pgm = exporting::toPgm16(map);
        if (file.write(pgm) != pgm.size())
            return file.errorString();
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

int writeMaps(const LumaRequest &request, const QString &program) {
    auto fail = [&](const QString &message) {
        std::fputs(qPrintable(program + QStringLiteral(": ") + message + u'\n'), stderr);
        return 1;
    };
    const QFileInfo folder(request.folder);
    if (!folder.isDir())
        return fail(QDir::toNativeSeparators(request.folder) +
                    (folder.exists() ? QStringLiteral(": not a folder")
                                     : QStringLiteral(": no such folder")));

    const QDir dir(request.folder);
    for (int effect = 1; effect <= reveal::kEffectCount; ++effect) {
        const QList<reveal::StepCell> run = reveal::RevealRun::stepsOfEffect(effect);
        if (run.isEmpty())
            return fail(QStringLiteral("there is no effect %1").arg(effect));
        const QString path = dir.filePath(QStringLiteral("tessaline-%1.%2")
                                              .arg(effect, 2, 10, QLatin1Char('0'))
                                              .arg(request.format));
        const QString error = writeMap(exporting::lumaMap(run, request.size), path, request.format);
        if (!error.isEmpty())
            return fail(QDir::toNativeSeparators(path) + QStringLiteral(": ") + error);
    }
    return 0;
}

} // namespace

std::optional<int> runLumaCommand(int argc, char *argv[]) {
    if (!asksForMaps(argc, argv))
        return std::nullopt;

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString program = QFileInfo(arguments.constFirst()).fileName();

    QString problem;
    const std::optional<LumaRequest> request = parseRequest(arguments, problem);
    if (!request) {
        std::fputs(qPrintable(program + QStringLiteral(": ") + problem + u'\n'), stderr);
        return 2;
    }

    // The maps come from the window's own reveal, run where no display is needed.
    // Qt's remarks about that platform (no runtime folder, say) are no concern
    // of a file export, whose own errors are one line each.
    qInstallMessageHandler(quietExceptForErrors);
    exporting::useOffscreenPlatform();
    QApplication app(argc, argv);
    setUpApplication(app);
    return writeMaps(*request, program);
}
