#pragma once

#include <QImage>

// A picture compiled into the program as decoded pixels (made at build time by
// tools/rawimage from the checked-in file).
struct RawImage {
    const uchar *pixels;
    int width;
    int height;
    qsizetype bytesPerLine;
    QImage::Format format;

    // The picture over the program's own read-only copy of the pixels: nothing
    // is decoded or copied until someone draws into it.
    QImage image() const { return QImage(pixels, width, height, bytesPerLine, format); }
};

extern const RawImage rawSourcePhoto;
extern const RawImage rawCoverPhoto;
extern const RawImage rawIcon;
