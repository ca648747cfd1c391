#include "export/AnimationFile.h"

#include "export/GifWriter.h"
#include "export/SafeFile.h"
#include "export/WebpWriter.h"

#include <QDir>
#include <QFileInfo>

namespace exporting {

bool animationFormatFor(const QString &path, AnimationFormat *format) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"gif")
        *format = AnimationFormat::Gif;
    else if (suffix == u"webp")
        *format = AnimationFormat::Webp;
    else
        return false;
    return true;
}

bool saveAnimation(const TileAnimation &animation, const QString &path, const Progress &progress,
                   QString *error) {
    if (!animation.isWellFormed()) {
        *error = QStringLiteral("nothing to write to %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    AnimationFormat format;
    if (!animationFormatFor(path, &format)) {
        *error = QStringLiteral("%1 is not a .gif or .webp file name")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    }
    return writeSafely(
        path,
        [&](QIODevice &out, QString *reason) {
            return format == AnimationFormat::Gif ? writeGif(animation, out, progress, reason)
                                                  : writeWebp(animation, out, progress, reason);
        },
        error);
}

} // namespace exporting
