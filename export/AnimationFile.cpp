#include "export/AnimationFile.h"

#include "export/GifWriter.h"
#include "export/WebpWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

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
    const QString shown = QDir::toNativeSeparators(path);
    AnimationFormat format;
    if (!animationFormatFor(path, &format)) {
        *error = QStringLiteral("%1: not a .gif or .webp file name").arg(shown);
        return false;
    }
    // A folder, or a device such as /dev/full, would be replaced by the rename.
    const QFileInfo target(path);
    if (target.isDir()) {
        *error = QStringLiteral("%1 is a folder").arg(shown);
        return false;
    }
    if (target.exists() && !target.isFile()) {
        *error = QStringLiteral("%1 is not a regular file").arg(shown);
        return false;
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(shown, file.errorString());
        return false;
    }
    const bool written = format == AnimationFormat::Gif
                             ? writeGif(animation, file, progress, error)
                             : writeWebp(animation, file, progress, error);
    if (!written) {
        file.cancelWriting();
        if (!error->isEmpty())
            *error = QStringLiteral("cannot write %1: %2").arg(shown, *error);
        return false;
    }
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(shown, file.errorString());
        return false;
    }
    return true;
}

} // namespace exporting
