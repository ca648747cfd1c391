#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <memory>

class Tessaline;

namespace exporting {

// One step of a reveal as the window runs it.
struct RecordedStep {
    int step = 0;          // 1 ... 100
    QRect tile;            // the tile painted, on the display box's inner area, in device pixels
    QPoint cell;           // the same tile's column and row in the 10 x 10 grid, each 0 ... 9
    int intervalAfter = 0; // ms: the interval the timer was given after this step
    int startMs = 0;       // the step's nominal start: 0 for step 1, 9950 for step 100
    QImage display;        // the display box after the tile was painted, if asked for
};

struct RevealRecording {
    int effect = 0;            // 1 ... 69
    qreal pixelRatio = 1;      // device pixels per logical pixel of the display box
    QImage before;             // the display box before the button was pressed: the cover
    QList<RecordedStep> steps; // steps 1 ... 100, in order
};

// Runs the window's own reveal, not a copy of it, and records what it does:
// the tests hold the reveal's rules in reveal/ to what the window really paints.
//
// The recorder makes a Tessaline window and never shows it. For each effect it
// selects the effect in the list, calls the button's handler, then delivers
// every tick of the timer at once instead of waiting for it, until the reveal
// ends. What each step painted comes from the display box itself; the timing is
// the interval the timer was given after each step.
//
// It needs a QApplication:
//
//     exporting::RevealRecorder recorder;
//     recorder.setPictures(source, cover);           // optional: built-in photos otherwise
//     const exporting::RevealRecording run = recorder.record(17, /*withImages=*/true);
//     for (const exporting::RecordedStep &s : run.steps)
//         ... s.tile, s.startMs, s.intervalAfter, s.display ...
//
// In a running program the recorder works on the program's own platform too;
// its rectangles and images are then at the primary screen's pixel ratio,
// which pixelRatio reports. The images of the last step show the whole source:
// the window puts the cover back only after that tile has been shown.
class RevealRecorder {
public:
    RevealRecorder();
    ~RevealRecorder();
    RevealRecorder(const RevealRecorder &) = delete;
    RevealRecorder &operator=(const RevealRecorder &) = delete;

    // The pictures the reveal goes from (cover) and to (source), as the window
    // would show them: at natural size from the top-left corner, clipped.
    void setPictures(const QImage &source, const QImage &cover);

    // Takes the display box's border away, so that its inner area holds the
    // whole tile grid, 3000 x 2800 twips: the last column and row of tiles,
    // which the border cuts off in the window, are then recorded in full.
    void showWholeGrid();

    // Runs effect 1 ... 69 to its end, without returning to the event loop
    // in between. Returns an empty recording with the reason in errorString()
    // if the effect does not exist or the reveal failed. With images, a
    // recording holds 100 pictures of the display box's size.
    RevealRecording record(int effect, bool withImages = false);
    QString errorString() const { return m_error; }

    static constexpr int kSteps = 100;
    static constexpr int kGridSize = 10; // tiles across and down

private:
    std::unique_ptr<Tessaline> m_window;
    QString m_error;
};

} // namespace exporting
