#pragma once

#include "export/TileAnimation.h"

#include <QString>

namespace exporting {

enum class AnimationFormat { Gif, Webp };

// The format a file name asks for by its extension, if it is one we write.
bool animationFormatFor(const QString &path, AnimationFormat *format);

// Writes the animation to `path` in the format its extension names. The file
// is written under a temporary name beside it and renamed when complete, so a
// failure or a stop leaves no file and an existing one untouched. Returns
// false with a one-line reason, or with an empty one when `progress` stopped it.
bool saveAnimation(const TileAnimation &animation, const QString &path, const Progress &progress,
                   QString *error);

} // namespace exporting
