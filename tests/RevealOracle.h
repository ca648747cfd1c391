#pragma once

#include "form/LenientNumber.h"
#include "form/Twips.h"
#include "reveal/EffectCatalogue.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QStringList>

// What a reveal must do, worked out here in closed form and independently of
// the program's own rules, for every test to hold the program to.
namespace oracle {

// The timer's interval after painting `step`: 52 ms after step 1, 2 ms slower
// each step up to 150 ms after step 50, then 2 ms faster again.
inline int intervalAfter(int step) {
    return step <= 50 ? 50 + 2 * step : 250 - 2 * step;
}

// When `step` (1 ... 100) starts: 0 for step 1, 9950 ms for step 100.
inline int startMs(int step) {
    int ms = 0;
    for (int s = 1; s < step; ++s)
        ms += intervalAfter(s);
    return ms;
}

// A tile of the display box in device pixels: 300 x 280 twips each.
inline QRect tileOnDisplay(int column, int row, qreal ratio) {
    return form::deviceRect(300 * column, 280 * row, 300, 280, ratio);
}
inline QRect tileOnDisplay(int tile, qreal ratio) {
    return tileOnDisplay(tile % 10, tile / 10, ratio);
}

// A cell of the grid stretched over a picture of `size`.
inline QRect frameCell(int column, int row, QSize size) {
    return QRect(QPoint(column * size.width() / 10, row * size.height() / 10),
                 QPoint((column + 1) * size.width() / 10 - 1, (row + 1) * size.height() / 10 - 1));
}

// The step at which each tile (row-major) is painted, read from the effect's
// stored table as the reveal reads a number.
inline QList<int> stepOfTile(int effect) {
    const QStringList table = reveal::effectTables().at(effect - 1);
    QList<int> steps;
    for (const QString &entry : table)
        steps.append(int(form::lenientNumber(entry)));
    return steps;
}

} // namespace oracle
