#include "form/FocusFrame.h"

#include <QPainter>

namespace form {

void drawFocusFrame(QPainter &p, const QRect &r) {
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255), 1));
    p.drawRect(r);
    p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
    p.drawRect(r);
    p.restore();
}

} // namespace form
