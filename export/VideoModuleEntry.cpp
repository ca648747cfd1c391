// The module's side of the video door: the encoders behind saveVideo, which
// write through the safe writer the program hands over.
#include "export/VideoModule.h"

#include <type_traits>

namespace exporting {

namespace {

SafeWriterByName programWriter = nullptr;

} // namespace

bool writeSafelyByName(const QString &path,
                       const std::function<bool(const QString &temporaryPath, QString *)> &write,
                       QString *error) {
    return programWriter(path, write, error);
}

} // namespace exporting

extern "C" __attribute__((visibility("default"))) bool
tessaline_save_video(const QString &path, const exporting::VideoPlan &plan,
                     const exporting::Progress &progress, QString *error,
                     exporting::SafeWriterByName writeSafely) {
    exporting::programWriter = writeSafely;
    return exporting::saveVideo(path, plan, progress, error);
}

static_assert(std::is_same_v<decltype(&tessaline_save_video), exporting::SaveVideoEntry>);
