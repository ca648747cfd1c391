#pragma once

#include "export/SafeFile.h"
#include "export/VideoWriter.h"

#include <QString>

namespace exporting {

// The video encoders and the FFmpeg libraries under them are a module of
// their own, libtessaline-video.so, loaded the first time a video is written:
// a window that never writes one never maps them. The module has one entry,
// saveVideo, and writes through the program's own safe writer, so that the
// program alone knows every temporary file it makes.
using SafeWriterByName = decltype(&writeSafelyByName);
using SaveVideoEntry = bool (*)(const QString &path, const VideoPlan &plan,
                                const Progress &progress, QString *error,
                                SafeWriterByName writeSafely);
inline constexpr char kSaveVideoEntry[] = "tessaline_save_video";

// saveVideo through the module, which is loaded on the first call. A module
// that is missing, can't be loaded or is of another version is a one-line
// reason that names the file to be written and the module.
bool saveVideoThroughModule(const QString &path, const VideoPlan &plan, const Progress &progress,
                            QString *error);

} // namespace exporting
