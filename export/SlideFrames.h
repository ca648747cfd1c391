#pragma once

#include "export/RevealTimeline.h"
#include "export/TileAnimation.h"

#include <QImage>
#include <QList>
#include <QSize>

namespace exporting {

// A reveal of `to` over `from`, both already of the frame's size: `from` held
// for `coverMs`, then each step's tile at its nominal start, and the finished
// `to` held for `holdMs` after the last step starts.
TileAnimation slideReveal(const QImage &from, const QImage &to, const QList<TimelineStep> &steps,
                          int coverMs, int holdMs);

// How long such a reveal lasts.
int slideRevealMs(const QList<TimelineStep> &steps, int coverMs, int holdMs);

} // namespace exporting
