#pragma once

#include "export/TileAnimation.h"

class QIODevice;

namespace exporting {

// Writes an animated GIF: one palette for the whole animation, made from both
// pictures together; both pictures dithered once against it, and each frame
// only the rectangle it changes, cut from the dithered pictures, so that a
// tile never changes colour once shown. Frame starts are rounded to the
// format's hundredths of a second, so no frame starts more than 5 ms off.
// Returns false with a one-line reason; an empty reason when `progress` stopped it.
bool writeGif(const TileAnimation &animation, QIODevice &out, const Progress &progress,
              QString *error);

} // namespace exporting
