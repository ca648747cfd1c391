#pragma once

#include <QImage>
#include <QList>
#include <QRect>

#include <functional>

namespace exporting {

// An animation that turns one picture into another a rectangle at a time, as
// the reveal does: frame 0 shows `first`; frame k (1 ... n) shows frame k - 1
// with `changes[k - 1]` cut from `last`. Frame k starts at startMs[k] and the
// whole animation ends at endMs.
struct TileAnimation {
    QImage first;
    QImage last;
    QList<QRect> changes;
    QList<int> startMs;
    int endMs = 0;
    bool loop = false;

    int frameCount() const { return int(changes.size()) + 1; }
    int durationMs(int frame) const;
    // The whole picture of one frame.
    QImage frame(int k) const;
    // Both pictures the same size, one start per frame, times that never go back.
    bool isWellFormed() const;
};

// Told how many of `total` frames are written; returns false to stop.
using Progress = std::function<bool(int done, int total)>;

} // namespace exporting
