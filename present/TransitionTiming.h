#pragma once

#include <QList>
#include <QPoint>

namespace present {

// When each tile of one effect's reveal appears, with the reveal's ramp
// stretched or squeezed to a given duration: every step keeps its share of the
// time, so a transition keeps its rhythm, slow in the middle, at any pace.
class TransitionTiming {
public:
    TransitionTiming(int effect, double durationSeconds);

    int stepCount() const { return int(m_cells.size()); }
    QPoint cell(int step) const { return m_cells.at(step); }
    // The time of step `step` (from 0), in nanoseconds after the start.
    qint64 dueNs(int step) const { return m_dueNs.at(step); }
    // How many steps are due `elapsedNs` after the start.
    int dueBy(qint64 elapsedNs) const;

private:
    QList<QPoint> m_cells;
    QList<qint64> m_dueNs;
};

} // namespace present
