#include "reveal/RevealRun.h"

#include "form/CheckedInt.h"
#include "form/LenientNumber.h"
#include "reveal/EffectCatalogue.h"

namespace reveal {

using form::checkedAdd;
using form::checkedMul;
using form::toInteger;
using form::toLong;

QPoint RevealRun::cellForStep(const std::function<QString(int)> &entry, int step) {
    int column = 0;
    int row = 0;
    for (int i = 0; i < kGridSize * kGridSize; ++i) {
        if (form::lenientNumber(entry(i)) == double(step)) {
            column = i % kGridSize;
            row = i / kGridSize;
        }
    }
    return {column, row};
}

QPoint RevealRun::cellForStep(const QStringList &table, int step) {
    return cellForStep([&table](int i) { return i < table.size() ? table.at(i) : QString(); },
                       step);
}

int RevealRun::intervalAfter(int interval, int nextStep) {
    if (nextStep > 51)
        return checkedAdd<qint32>(interval, -2);
    return checkedAdd<qint32>(interval, 2);
}

form::TwipsRect RevealRun::tileRect(double boxWidthTwips, double boxHeightTwips, QPoint cell) {
    const qint32 tileWidth = toLong(boxWidthTwips) / kGridSize;
    const qint16 tileHeight = toInteger(toLong(boxHeightTwips) / kGridSize);
    return {checkedMul<qint32>(tileWidth, qint32(cell.x())),
            checkedMul<qint16>(tileHeight, qint16(cell.y())), tileWidth, tileHeight};
}

QList<StepCell> RevealRun::stepsOfEffect(int effect) {
    const QStringList table = effectTable(effect);
    if (table.isEmpty())
        return {};
    QList<StepCell> steps;
    int interval = kFirstInterval;
    int start = 0;
    for (int step = 1; step <= kSteps; ++step) {
        StepCell s;
        s.step = step;
        s.cell = cellForStep(table, step);
        s.startMs = start;
        interval = intervalAfter(interval, step + 1);
        s.intervalAfter = interval;
        start += interval;
        steps.append(s);
    }
    return steps;
}

QRect RevealRun::frameCell(QPoint cell, QSize size) {
    const int left = cell.x() * size.width() / kGridSize;
    const int right = (cell.x() + 1) * size.width() / kGridSize;
    const int top = cell.y() * size.height() / kGridSize;
    const int bottom = (cell.y() + 1) * size.height() / kGridSize;
    return QRect(left, top, right - left, bottom - top);
}

} // namespace reveal
