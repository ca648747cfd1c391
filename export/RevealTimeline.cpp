#include "export/RevealTimeline.h"

#include "reveal/RevealRun.h"

namespace exporting {

QList<TimelineStep> RevealTimeline::steps(int effect, QString *error) {
    if (const auto known = m_known.find(effect); known != m_known.end())
        return known->second;
    const QList<reveal::StepCell> run = reveal::RevealRun::stepsOfEffect(effect);
    if (run.isEmpty()) {
        *error = QStringLiteral("there is no effect %1").arg(effect);
        return {};
    }
    QList<TimelineStep> steps;
    for (const reveal::StepCell &step : run)
        steps.append({step.cell, step.startMs});
    m_known.emplace(effect, steps);
    return steps;
}

} // namespace exporting
