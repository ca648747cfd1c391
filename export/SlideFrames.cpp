#include "export/SlideFrames.h"

#include "export/RevealRecorder.h"

namespace exporting {

QRect gridCell(const QPoint &cell, const QSize &size) {
    constexpr int grid = RevealRecorder::kGridSize;
    const int left = cell.x() * size.width() / grid;
    const int right = (cell.x() + 1) * size.width() / grid;
    const int top = cell.y() * size.height() / grid;
    const int bottom = (cell.y() + 1) * size.height() / grid;
    return QRect(left, top, right - left, bottom - top);
}

TileAnimation slideReveal(const QImage &from, const QImage &to, const QList<TimelineStep> &steps,
                          int coverMs, int holdMs) {
    TileAnimation result;
    result.first = from;
    result.last = to;
    result.startMs.append(0);
    for (const TimelineStep &step : steps) {
        result.changes.append(gridCell(step.cell, to.size()));
        result.startMs.append(coverMs + step.startMs);
    }
    result.endMs = slideRevealMs(steps, coverMs, holdMs);
    return result;
}

int slideRevealMs(const QList<TimelineStep> &steps, int coverMs, int holdMs) {
    return coverMs + (steps.isEmpty() ? 0 : steps.constLast().startMs) + holdMs;
}

} // namespace exporting
