// --atlas FILE.png: all 69 effects in one picture, each tile shaded by its step.
#include "cli/CommandLine.h"
#include "cli/FileModes.h"
#include "cli/FileOptions.h"
#include "export/RevealAtlas.h"
#include "export/SafeFile.h"
#include "reveal/EffectCatalogue.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>

namespace commandline {

int writeAtlas(CommandLine &line, const FileOptions &o, int scale) {
    const QCommandLineParser &parser = line.parser();
    for (const QCommandLineOption &only :
         {o.effect, o.source, o.cover, o.loop, o.size, o.fps, o.photos, o.effects, o.hold}) {
        if (parser.isSet(only))
            return line.usage(QStringLiteral("--atlas takes only --scale"));
    }
    const QString path = parser.value(o.atlasFile);
    if (QFileInfo(path).suffix().toLower() != u"png")
        return line.usage(QStringLiteral("the atlas is a .png file"));
    QGuiApplication app(line.argc(), line.argv());

    // Encoded in memory first, so that a write that fails says why.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    exporting::revealAtlas(reveal::effectTables(), reveal::effectNames(), scale)
        .save(&buffer, "PNG");
    QString error;
    const bool written = exporting::writeSafely(
        path,
        [&](QIODevice &out, QString *reason) {
            return exporting::writeAll(out, png.constData(), png.size(), reason);
        },
        &error);
    return written ? 0 : line.fail(1, error);
}

} // namespace commandline
