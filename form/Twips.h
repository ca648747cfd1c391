#pragma once

#include <QImage>
#include <QRect>

// Every position and size of the form is in twips: 1/1440 inch, 15 to a
// logical pixel. This is the one place that converts between the two.
namespace form {

inline constexpr int kTwipsPerPixel = 15;

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A twips coordinate on a surface of the given device-pixel ratio. Edges are
// converted, never sizes, so that rectangles that share an edge in twips
// share it in pixels too: no gap and no overlap.
int twipsToDevice(double twips, qreal devicePixelRatio = 1.0);

// The logical-pixel rectangle that a control laid out in twips occupies.
QRect pixelRect(const TwipsRect &twips);

// The device-pixel rectangle of a twips rectangle on a surface.
QRect deviceRect(double left, double top, double width, double height, qreal devicePixelRatio);

double pixelsToTwips(double pixels);

// The picture as it appears at a device-pixel ratio, one image pixel to a
// device pixel: each logical pixel becomes a block of device pixels, with
// edges rounded the same way as tiles. A picture made at that ratio already
// has its device resolution and is used as it is.
QImage atRatio(const QImage &picture, qreal ratio);

// A font size in points as a size in logical pixels (20 twips to the point).
// Fonts sized this way scale with the layout, never with a font DPI of their
// own: 12 pt is 16 px on any screen.
int pointsToPixels(double points);

} // namespace form
