// The module's side of the animation writers: giflib's and libwebp's, writing
// to the device the program opened, through the program's own writeAll.
#include "export/AnimationModule.h"

#include "export/GifWriter.h"
#include "export/WebpWriter.h"

#include <type_traits>

namespace exporting {

namespace {

WriteAll programWriteAll = nullptr;

} // namespace

bool writeAll(QIODevice &out, const char *data, qint64 size, QString *error) {
    return programWriteAll(out, data, size, error);
}

} // namespace exporting

using exporting::Progress;
using exporting::TileAnimation;

extern "C" __attribute__((visibility("default"))) bool
tessaline_write_gif(const TileAnimation &animation, QIODevice &out, const Progress &progress,
                    QString *error, exporting::WriteAll writeAll) {
    exporting::programWriteAll = writeAll;
    return exporting::writeGif(animation, out, progress, error);
}

extern "C" __attribute__((visibility("default"))) bool
tessaline_write_webp(const TileAnimation &animation, QIODevice &out, const Progress &progress,
                     QString *error, exporting::WriteAll writeAll) {
    exporting::programWriteAll = writeAll;
    return exporting::writeWebp(animation, out, progress, error);
}

static_assert(std::is_same_v<decltype(&tessaline_write_gif), exporting::AnimationEntry>);
static_assert(std::is_same_v<decltype(&tessaline_write_webp), exporting::AnimationEntry>);
