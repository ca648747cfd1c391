#include "export/RevealAnimation.h"

#include "app/BuiltInPhotos.h"
#include "export/RevealRecorder.h"

namespace exporting {

namespace {

// The cover shows for a moment before the first tile, and the finished source
// stays a while before the animation ends or starts again.
constexpr int kCoverMs = 500;
constexpr int kSourceMs = 2000;

} // namespace

bool recordReveal(const RevealRequest &request, TileAnimation *animation, QString *error) {
    RevealRecorder recorder;
    recorder.showWholeGrid();
    if (!request.source.isNull() || !request.cover.isNull())
        recorder.setPictures(request.source.isNull() ? builtInSourcePhoto() : request.source,
                             request.cover.isNull() ? builtInCoverPhoto() : request.cover);
    const RevealRecording run = recorder.record(request.effect, true);
    if (run.steps.isEmpty()) {
        *error = recorder.errorString();
        return false;
    }

    // The frame is the tile grid itself; the last step shows all of the source.
    QRect grid;
    for (const RecordedStep &step : run.steps)
        grid |= step.tile;
    const QImage last = run.steps.constLast().display;
    TileAnimation result;
    result.first = run.before.copy(grid);
    result.last = last.copy(grid);
    result.loop = request.loop;
    result.startMs.append(0);
    for (const RecordedStep &step : run.steps) {
        // Frames are composed from the two pictures, so each tile must show
        // what the window showed at its step.
        if (step.display.copy(step.tile) != last.copy(step.tile)) {
            *error = QStringLiteral("step %1 of effect %2 painted a tile that changed later")
                         .arg(step.step)
                         .arg(request.effect);
            return false;
        }
        result.changes.append(step.tile.translated(-grid.topLeft()));
        result.startMs.append(kCoverMs + step.startMs);
    }
    result.endMs = result.startMs.constLast() + kSourceMs;
    *animation = result;
    return true;
}

} // namespace exporting
