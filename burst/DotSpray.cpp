#include "burst/DotSpray.h"

#include "form/CheckedInt.h"
#include "form/Palette.h"

namespace burst {

Dot DotSpray::next(form::RandomSequence &random, float width, float height, int drawWidth) {
    Dot dot;
    dot.x = random.next() * width;
    dot.y = random.next() * height;
    const float shade = random.next() * float(drawWidth);
    const qint16 index = form::toInteger(form::toLong(double(shade)) % 255);
    dot.colour = form::qbColor(index);
    return dot;
}

} // namespace burst
