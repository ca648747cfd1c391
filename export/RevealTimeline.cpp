#include "export/RevealTimeline.h"

#include "export/RevealRecorder.h"

namespace exporting {

RevealTimeline::RevealTimeline() = default;
RevealTimeline::~RevealTimeline() = default;

QList<TimelineStep> RevealTimeline::steps(int effect, QString *error) {
    if (const auto known = m_known.find(effect); known != m_known.end())
        return known->second;
    if (!m_recorder)
        m_recorder = std::make_unique<RevealRecorder>();
    const RevealRecording run = m_recorder->record(effect);
    if (run.steps.isEmpty()) {
        *error = m_recorder->errorString();
        return {};
    }
    QList<TimelineStep> steps;
    for (const RecordedStep &step : run.steps)
        steps.append({step.cell, step.startMs});
    m_known.emplace(effect, steps);
    return steps;
}

} // namespace exporting
