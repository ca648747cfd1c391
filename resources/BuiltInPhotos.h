#pragma once

#include <QImage>
#include <QSize>

// The two photographs the window opens with, compiled into the program.
QImage builtInSourcePhoto();
QImage builtInCoverPhoto();

// Their size in logical pixels, which every photo of the user's own is fitted to.
inline constexpr QSize kPhotoSize{250, 187};
