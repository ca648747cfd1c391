// The program's side of the animation writers: writeGif and writeWebp go to
// the module, loaded by the first animation written.
#include "export/AnimationModule.h"

#include "export/GifWriter.h"
#include "export/WebpWriter.h"
#include "form/OptionalModule.h"

namespace exporting {

namespace {

bool writeThroughModule(const char *entry, const TileAnimation &animation, QIODevice &out,
                        const Progress &progress, QString *error) {
    static form::OptionalModule module(QStringLiteral("animation"));
    const auto write = module.function<AnimationEntry>(entry);
    if (!write) {
        *error = module.errorString();
        return false;
    }
    return write(animation, out, progress, error, &writeAll);
}

} // namespace

bool writeGif(const TileAnimation &animation, QIODevice &out, const Progress &progress,
              QString *error) {
    return writeThroughModule(kWriteGifEntry, animation, out, progress, error);
}

bool writeWebp(const TileAnimation &animation, QIODevice &out, const Progress &progress,
               QString *error) {
    return writeThroughModule(kWriteWebpEntry, animation, out, progress, error);
}

} // namespace exporting
