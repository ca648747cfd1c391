#pragma once

#include "reveal/RevealRun.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace exporting {

// A luma map of a reveal: the 10 x 10 grid stretched over a picture of the
// given size, each tile one flat grey from black (the step that starts at 0)
// to white (the last step), in proportion to when its step starts. A video
// editor's linear luma wipe through it switches the tiles in the reveal's
// order and with its rhythm, slow in the middle.
QImage lumaMap(const QList<reveal::StepCell> &steps, const QSize &size);

// The map as a binary PGM of 16-bit samples, maximum value 65535.
QByteArray toPgm16(const QImage &map);

} // namespace exporting
