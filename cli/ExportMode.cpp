// --export FILE: one effect's reveal at the window's size, as an animated .gif
// or .webp, between the built-in photos or the user's own.
#include "cli/CommandLine.h"
#include "cli/FileModes.h"
#include "cli/FileOptions.h"
#include "export/AnimationFile.h"
#include "export/RevealAnimation.h"
#include "form/LoadPicture.h"
#include "resources/BuiltInPhotos.h"

#include <QApplication>

#include <utility>

namespace commandline {

int writeReveal(CommandLine &line, const FileOptions &o, int scale) {
    const QCommandLineParser &parser = line.parser();
    const QString path = parser.value(o.exportFile);
    exporting::AnimationFormat format;
    if (!exporting::animationFormatFor(path, &format))
        return line.usage(QStringLiteral("the file name must end in .gif, .webp, .mp4 or .webm"));
    const int n = effectNumber(parser.value(o.effect));
    if (n == 0)
        return line.usage(noSuchEffect(parser.value(o.effect)));

    // The window paints at K device pixels to its pixel, scaling the photographs smoothly.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    QApplication app(line.argc(), line.argv());
    exporting::RevealRequest request;
    request.effect = n;
    request.loop = parser.isSet(o.loop);
    QString error;
    // The user's photos are fitted as the window fits them, at the export's scale.
    for (const auto &[option, picture] :
         {std::pair{o.source, &request.source}, std::pair{o.cover, &request.cover}}) {
        if (!parser.isSet(option))
            continue;
        *picture = form::LoadPicture(parser.value(option), kPhotoSize, scale, &error);
        if (picture->isNull())
            return line.usage(error);
    }
    exporting::TileAnimation animation;
    if (!exporting::recordReveal(request, &animation, &error))
        return line.fail(1, error);
    if (!exporting::saveAnimation(animation, path, line.terminalProgress(), &error))
        return line.fail(1, error);
    return 0;
}

} // namespace commandline
