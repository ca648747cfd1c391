#include "export/SlideFrames.h"

#include "reveal/RevealRun.h"

namespace exporting {

TileAnimation slideReveal(const QImage &from, const QImage &to, const QList<TimelineStep> &steps,
                          int coverMs, int holdMs) {
    TileAnimation result;
    result.first = from;
    result.last = to;
    result.startMs.append(0);
    for (const TimelineStep &step : steps) {
        result.changes.append(reveal::RevealRun::frameCell(step.cell, to.size()));
        result.startMs.append(coverMs + step.startMs);
    }
    result.endMs = slideRevealMs(steps, coverMs, holdMs);
    return result;
}

int slideRevealMs(const QList<TimelineStep> &steps, int coverMs, int holdMs) {
    return coverMs + (steps.isEmpty() ? 0 : steps.constLast().startMs) + holdMs;
}

} // namespace exporting
