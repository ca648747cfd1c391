#pragma once

#include "form/Twips.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

// The rules of one reveal, with no widget: which tile each step paints, how
// long the timer waits after each step, and where a tile lies on the display.
// The window's handlers, the exports and the maps all ask this class.
namespace reveal {

// One step of a reveal: its grid cell and its nominal start.
struct StepCell {
    int step = 0;    // 1 ... 100
    QPoint cell;     // column and row in the 10 x 10 grid, each 0 ... 9
    int startMs = 0; // 0 for step 1, 9950 for step 100
    int intervalAfter = 0;
};

class RevealRun {
public:
    static constexpr int kSteps = 100;
    static constexpr int kGridSize = 10;
    static constexpr int kFirstInterval = 50; // ms, the timer's interval at the start

    // The cell step `step` paints. Every entry of the order table is read; the
    // last one whose number equals the step wins, and a step that no entry
    // names paints the top-left tile.
    static QPoint cellForStep(const std::function<QString(int)> &entry, int step);
    static QPoint cellForStep(const QStringList &table, int step);

    // The timer's interval after painting a step, given the interval before it
    // and the step the next tick paints. The reveal slows down towards its
    // middle and speeds up again after it. Throws form::RuntimeError on
    // overflow, as the window's arithmetic does.
    static int intervalAfter(int interval, int nextStep);

    // The tile of a cell on a display box of the given inner size, in twips:
    // a tenth of the box each way, the tenths cut to whole twips.
    static form::TwipsRect tileRect(double boxWidthTwips, double boxHeightTwips, QPoint cell);

    // Where a cell lies on a picture of `size` pixels that the grid is
    // stretched over: cell edges at floor(c * W / 10) both ways, so that
    // neighbouring cells meet without a gap or an overlap.
    static QRect frameCell(QPoint cell, QSize size);

    // For effect 1 ... 69: its 100 steps in order, each with its cell and its
    // nominal start in ms. Empty for a number outside the catalogue.
    static QList<StepCell> stepsOfEffect(int effect);
};

} // namespace reveal
