#pragma once

#include <QRect>

class QPainter;

namespace form {

// The dotted frame that shows which control has the keyboard: black dots over
// a white line, so that it stays visible over a dark picture and a light one.
void drawFocusFrame(QPainter &p, const QRect &r);

} // namespace form
