#pragma once

#include "export/SafeFile.h"
#include "export/TileAnimation.h"

class QIODevice;

namespace exporting {

// giflib, libimagequant and libwebp are a module of their own,
// libtessaline-animation.so, loaded the first time a GIF or a WebP is
// written, so that the window's start maps none of them. The program keeps
// the file itself (see writeSafely) and hands the module the open device and
// its own writeAll; in the program, writeGif and writeWebp load the module on
// their first call, and a missing one is their one-line reason.
using WriteAll = decltype(&writeAll);
using AnimationEntry = bool (*)(const TileAnimation &animation, QIODevice &out,
                                const Progress &progress, QString *error, WriteAll writeAll);
inline constexpr char kWriteGifEntry[] = "tessaline_write_gif";
inline constexpr char kWriteWebpEntry[] = "tessaline_write_webp";

} // namespace exporting
