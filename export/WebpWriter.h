#pragma once

#include "export/TileAnimation.h"

class QIODevice;

namespace exporting {

// Writes a lossless animated WebP with each frame's exact start in
// milliseconds. The encoder stores each frame as the rectangle it changes.
// Returns false with a one-line reason; an empty reason when `progress` stopped it.
bool writeWebp(const TileAnimation &animation, QIODevice &out, const Progress &progress,
               QString *error);

} // namespace exporting
