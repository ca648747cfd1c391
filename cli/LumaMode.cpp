// --luma FOLDER [--size WxH] [--format pgm|png]: the 69 effects as luma maps,
// the greyscale pictures a video editor's wipe transitions are made from.
#include "cli/CommandLine.h"
#include "cli/CommandLineChecks.h"
#include "cli/FileModes.h"
#include "export/LumaMap.h"
#include "export/SafeFile.h"
#include "reveal/EffectCatalogue.h"
#include "reveal/RevealRun.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>

namespace commandline {

namespace {

struct LumaRequest {
    QString folder;
    QSize size{1920, 1080};
    QString format = QStringLiteral("pgm");
};

// Reads the command line; on a mistake, says so and gives the status.
std::optional<int> readRequest(CommandLine &line, LumaRequest &request) {
    QCommandLineParser &parser = line.parser();
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
    if (const std::optional<int> status = line.parse())
        return status;
    if (const std::optional<int> status = line.refuseArguments())
        return status;

    request.folder = parser.value(luma);
    if (request.folder.isEmpty())
        return line.usage(QStringLiteral("--luma needs a folder"));
    if (parser.isSet(size)) {
        const std::optional<QSize> parsed = frameSize(parser.value(size));
        if (!parsed)
            return line.usage(QStringLiteral("bad size '%1': give WxH, each side from %2 to %3")
                                  .arg(parser.value(size))
                                  .arg(kMinSide)
                                  .arg(kMaxSide));
        request.size = *parsed;
    }
    if (parser.isSet(format)) {
        request.format = parser.value(format).toLower();
        if (request.format != QLatin1String("pgm") && request.format != QLatin1String("png"))
            return line.usage(
                QStringLiteral("unknown format '%1': give pgm or png").arg(parser.value(format)));
    }
    return std::nullopt;
}

// A map as the bytes of its file; empty for a map that couldn't be encoded.
QByteArray encodeMap(const QImage &map, const QString &format) {
    if (format != QLatin1String("png"))
        return exporting::toPgm16(map);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    return QImageWriter(&buffer, "png").write(map) ? png : QByteArray();
}

QString mapsWritten(int count) {
    if (count == 0)
        return QStringLiteral("no map was written");
    if (count == 1)
        return QStringLiteral("the 1 map before it was written");
    return QStringLiteral("the %1 maps before it were written").arg(count);
}

int writeMaps(const CommandLine &line, const LumaRequest &request) {
    const QFileInfo folder(request.folder);
    if (!folder.isDir())
        return line.fail(1, QDir::toNativeSeparators(request.folder) +
                                (folder.exists() ? QStringLiteral(": not a folder")
                                                 : QStringLiteral(": no such folder")));

    const QDir dir(request.folder);
    for (int effect = 1; effect <= reveal::kEffectCount; ++effect) {
        const QList<reveal::StepCell> run = reveal::RevealRun::stepsOfEffect(effect);
        if (run.isEmpty())
            return line.fail(1, QStringLiteral("there is no effect %1").arg(effect));
        const QString path = dir.filePath(QStringLiteral("tessaline-%1.%2")
                                              .arg(effect, 2, 10, QLatin1Char('0'))
                                              .arg(request.format));
        // Each map goes through the writer every file does, whole or not at
        // all; a link at a map's name is replaced, never written through.
        const QByteArray bytes = encodeMap(exporting::lumaMap(run, request.size), request.format);
        if (bytes.isEmpty())
            return line.fail(1, QStringLiteral("cannot encode %1; ").arg(path) +
                                    mapsWritten(effect - 1));
        QString error;
        const bool written = exporting::writeSafely(
            path,
            [&](QIODevice &out, QString *reason) {
                return exporting::writeAll(out, bytes.constData(), bytes.size(), reason);
            },
            &error, exporting::Links::Replace);
        if (!written)
            return line.fail(1, error + QStringLiteral("; ") + mapsWritten(effect - 1));
    }
    return 0;
}

} // namespace

int writeLumaMaps(CommandLine &line) {
    LumaRequest request;
    if (const std::optional<int> status = readRequest(line, request))
        return *status;
    CommandLine::workWithoutDisplay();
    QGuiApplication app(line.argc(), line.argv());
    return writeMaps(line, request);
}

} // namespace commandline
