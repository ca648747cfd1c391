#pragma once

#include <QImage>

// The two photographs the window opens with, compiled into the program.
QImage builtInSourcePhoto();
QImage builtInCoverPhoto();
