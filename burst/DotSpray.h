#pragma once

#include "form/ColorRef.h"
#include "form/RandomSequence.h"

// The dot burst's dots, with no widget: where each lands and its colour, drawn
// from the platform's random numbers in the order the burst asks for them.
namespace burst {

struct Dot {
    float x = 0; // in the window's scale, from its left and top
    float y = 0;
    form::ColorRef colour = 0;
};

class DotSpray {
public:
    static constexpr int kDots = 10000;

    // A person has to see the spray grow. Drawn flat out, the dots take a few
    // milliseconds, less than one refresh of the display, so the whole burst
    // would flash by or never show at all. Instead each refresh shows the next
    // share of the dots, and the spray grows evenly for about a third of a
    // second at 60 Hz.
    static constexpr int kRefreshesPerBurst = 20;
    static constexpr int kDotsPerRefresh = kDots / kRefreshesPerBurst;
    static_assert(kDots % kRefreshesPerBurst == 0, "every refresh shows as many new dots");

    // The next dot on a window of `width` x `height` in its scale, drawn with
    // a pen `drawWidth` wide, whose width also spreads the colours.
    static Dot next(form::RandomSequence &random, float width, float height, int drawWidth);
};

} // namespace burst
