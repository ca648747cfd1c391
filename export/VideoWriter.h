#pragma once

#include "export/TileAnimation.h"

#include <QSize>
#include <QString>

#include <algorithm>
#include <functional>
#include <limits>

namespace exporting {

enum class VideoCodec { H264, Vp9 };

// The codec a file name asks for: .mp4 is H.264, .webm is VP9.
bool videoCodecFor(const QString &path, VideoCodec *codec);

// A video of reveals played one after another. Each part is made only when
// the video reaches it, and each frame is composed as it is encoded, so that
// a slideshow of many photos needs no more memory than one reveal.
struct VideoPlan {
    QSize size;   // even sides
    int fps = 60; // frames a second
    int partCount = 0;
    qint64 totalMs = 0; // the parts' durations added up
    // Makes part `index` (0 ... partCount - 1) of `size`; false with a reason.
    std::function<bool(int index, TileAnimation *part, QString *error)> part;
};

inline constexpr int kMinFps = 1;
inline constexpr int kMaxFps = 120;

// Frames in a video of `totalMs` at `fps`.
inline qint64 videoFrameCount(qint64 totalMs, int fps) {
    return std::max<qint64>(1, (totalMs * fps + 999) / 1000);
}
// The most frames a video may have, whose count the progress reports.
inline constexpr qint64 kMaxVideoFrames = std::numeric_limits<int>::max();

// Writes the video at constant frame rate, each tile from the first frame at
// or after its start. The file is written under a temporary name beside
// `path` and renamed when complete; on any failure or a stop it is removed and
// an existing file is left untouched. A plan of more than kMaxVideoFrames
// frames is refused before anything is written. Returns false with a one-line reason
// naming the file, or an empty one when `progress` stopped it.
bool saveVideo(const QString &path, const VideoPlan &plan, const Progress &progress,
               QString *error);

} // namespace exporting
