#include "present/TransitionTiming.h"

#include "reveal/RevealRun.h"

#include <algorithm>
#include <cmath>

namespace present {

TransitionTiming::TransitionTiming(int effect, double durationSeconds) {
    const QList<reveal::StepCell> steps = reveal::RevealRun::stepsOfEffect(effect);
    if (steps.isEmpty())
        return;
    // The window's reveal paints its last tile steps.last().startMs after its first.
    const double scale = durationSeconds * 1e9 / std::max(1, steps.constLast().startMs);
    for (const reveal::StepCell &step : steps) {
        m_cells.append(step.cell);
        m_dueNs.append(qint64(std::llround(step.startMs * scale)));
    }
}

int TransitionTiming::dueBy(qint64 elapsedNs) const {
    return int(std::upper_bound(m_dueNs.begin(), m_dueNs.end(), elapsedNs) - m_dueNs.begin());
}

} // namespace present
