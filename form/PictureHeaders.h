#pragma once

#include <QSize>
#include <QtGlobal>

namespace form {

// What a picture file's own header says, read straight from an open file
// without decoding it. Qt's readers pass over some of this in silence.

// The width and height in a PNG, GIF or BMP header; invalid for other files.
QSize headerSize(int fd);

// What a BMP's header and data say of its pixels, read in one pass.
enum class BitmapState {
    Whole,
    // A run-length coded BMP passes over some of its pixels on purpose (a
    // jump, a row or the picture ended early). Qt's reader leaves those
    // pixels unset: whatever the memory held.
    WithGaps,
    // Shorter than its header says it must be (its rows, or its run-length
    // codes, end too soon), or its colour masks are empty.
    Damaged,
};

// The state of a BMP file; Whole for any other file.
BitmapState bitmapState(int fd, qint64 fileSize);

// Whether a TGA file lacks the footer of version 2, the only one Qt reads.
bool targaLacksFooter(int fd, qint64 fileSize);

// Whether a GIF's first image ends before its data does, or its compressed
// codes are broken or make fewer pixels than the image has.
bool gifFirstImageIsDamaged(int fd, qint64 fileSize);

} // namespace form
