#include "export/TileAnimation.h"

#include <QPainter>

namespace exporting {

int TileAnimation::durationMs(int frame) const {
    const int end = frame + 1 < frameCount() ? startMs.at(frame + 1) : endMs;
    return end - startMs.at(frame);
}

QImage TileAnimation::frame(int k) const {
    QImage image = first.convertToFormat(QImage::Format_RGB32);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int i = 0; i < k; ++i)
        p.drawImage(changes.at(i).topLeft(), last, changes.at(i));
    return image;
}

bool TileAnimation::isWellFormed() const {
    if (first.isNull() || first.size() != last.size() || startMs.size() != frameCount())
        return false;
    for (int k = 0; k < frameCount(); ++k) {
        if (durationMs(k) < 0)
            return false;
    }
    return startMs.constFirst() == 0;
}

} // namespace exporting
