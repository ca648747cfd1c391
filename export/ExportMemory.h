#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace exporting {

// What making a file of each kind needs at most, as one frame's bytes (4 a
// pixel) times a count that doesn't grow with the size, over the program's
// own: the encoders keep a bounded number of frames (no long look-ahead), and
// a slideshow holds two photos at a time.
enum class ExportKind { Gif, Webp, Mp4, Webm };
qint64 exportPeakBytes(ExportKind kind, QSize size);

// The memory the program may take: the machine's, or less where a limit on
// the process says so.
qint64 usableMemoryBytes();

// Why a file of `kind` at `size` can't be made here, if it can't: it would
// need more memory than usableMemoryBytes().
std::optional<QString> tooLargeToMake(ExportKind kind, QSize size);

} // namespace exporting
