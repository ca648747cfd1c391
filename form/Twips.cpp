#include "form/Twips.h"

#include <cmath>

namespace form {

int twipsToDevice(double twips, qreal devicePixelRatio) {
    return int(std::lround(twips * devicePixelRatio / kTwipsPerPixel));
}

QRect pixelRect(const TwipsRect &twips) {
    return deviceRect(twips.left, twips.top, twips.width, twips.height, 1.0).normalized();
}

QRect deviceRect(double left, double top, double width, double height, qreal devicePixelRatio) {
    const int x0 = twipsToDevice(left, devicePixelRatio);
    const int y0 = twipsToDevice(top, devicePixelRatio);
    const int x1 = twipsToDevice(left + width, devicePixelRatio);
    const int y1 = twipsToDevice(top + height, devicePixelRatio);
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

double pixelsToTwips(double pixels) {
    return pixels * kTwipsPerPixel;
}

int pointsToPixels(double points) {
    constexpr int twipsPerPoint = 20;
    return twipsToDevice(points * twipsPerPoint);
}

QImage atRatio(const QImage &picture, qreal ratio) {
    QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const qreal own = picture.devicePixelRatio();
    const double width = std::round(picture.width() / own);
    const double height = std::round(picture.height() / own);
    const QSize size(twipsToDevice(pixelsToTwips(width), ratio),
                     twipsToDevice(pixelsToTwips(height), ratio));
    if (size != rgb.size())
        rgb = rgb.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    rgb.setDevicePixelRatio(1.0);
    return rgb;
}

} // namespace form
