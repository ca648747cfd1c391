#pragma once

#include "export/TileAnimation.h"

#include <QString>

namespace exporting {

enum class AnimationFormat { Gif, Webp };

// The format a file name asks for by its extension, if it is one we write.
bool animationFormatFor(const QString &path, AnimationFormat *format);

// Writes the animation to `path` in the format its extension names, safely
// (see writeSafely). Returns false with a one-line reason, or with an empty
// one when `progress` stopped it.
bool saveAnimation(const TileAnimation &animation, const QString &path, const Progress &progress,
                   QString *error);

} // namespace exporting
