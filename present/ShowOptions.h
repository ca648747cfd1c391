#pragma once

#include <QList>

namespace present {

// How a show advances: the effects used in turn, one for each step forward,
// and the time each transition takes from its first tile to its last.
struct ShowOptions {
    static constexpr double kDefaultSeconds = 9.95; // the window's own reveal
    static constexpr double kMinSeconds = 0.1;
    static constexpr double kMaxSeconds = 60.0;

    QList<int> effects{1};
    double durationSeconds = kDefaultSeconds;
    // The screen the slides go to, from 0; -1 lets the show choose.
    int screen = -1;
};

} // namespace present
