#pragma once

#include <QList>
#include <QPoint>
#include <QString>

#include <map>

namespace exporting {

// One step of a reveal: which tile of the 10 x 10 grid it shows, and when.
struct TimelineStep {
    QPoint cell;     // column and row, each 0 ... 9
    int startMs = 0; // the step's nominal start: 0 for the first step
};

// The order and times of each effect's 100 steps, with no pictures: what a
// reveal at any size needs, from the reveal's own rules, kept once per effect.
class RevealTimeline {
public:
    // Effect 1 ... 69's steps in order; empty, with the reason, if it failed.
    QList<TimelineStep> steps(int effect, QString *error);

private:
    std::map<int, QList<TimelineStep>> m_known;
};

} // namespace exporting
