#include "export/ExportMemory.h"

#include <algorithm>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace exporting {

namespace {

// The program with its libraries, before any frame.
constexpr qint64 kProgramBytes = qint64(100) << 20;

// Frames' bytes at most, measured at 3840 x 2160 and 8192 x 8192 (bench/run
// --memory), with room to spare: the two pictures and the frame being
// composed, and what each encoder keeps. libimagequant works on both pictures
// at once; libwebp's animation encoder keeps the canvas three times over
// besides its lossless encoder's own; x264 a few reference frames, each with
// its interpolated planes; libvpx its reference pool.
int framesNeeded(ExportKind kind) {
    switch (kind) {
    case ExportKind::Gif:
        return 8;
    case ExportKind::Webp:
        return 14;
    case ExportKind::Mp4:
        return 14;
    case ExportKind::Webm:
        return 26;
    }
    return 26;
}

const char *kindName(ExportKind kind) {
    switch (kind) {
    case ExportKind::Gif:
        return "GIF";
    case ExportKind::Webp:
        return "WebP";
    case ExportKind::Mp4:
        return "MP4";
    case ExportKind::Webm:
        return "WebM";
    }
    return "";
}

QString gigabytes(qint64 bytes) {
    return QString::number(double(bytes) / (qint64(1) << 30), 'f', 1);
}

} // namespace

qint64 exportPeakBytes(ExportKind kind, QSize size) {
    const qint64 frame = qint64(size.width()) * size.height() * 4;
    return kProgramBytes + framesNeeded(kind) * frame;
}

qint64 usableMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    qint64 usable =
        pages > 0 && pageSize > 0 ? qint64(pages) * pageSize : std::numeric_limits<qint64>::max();
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit limit{};
        if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            usable = std::min(usable, qint64(limit.rlim_cur));
    }
    return usable;
}

std::optional<QString> tooLargeToMake(ExportKind kind, QSize size) {
    const qint64 needed = exportPeakBytes(kind, size);
    const qint64 usable = usableMemoryBytes();
    if (needed <= usable)
        return std::nullopt;
    return QStringLiteral("a %1x%2 %3 needs up to %4 GiB of memory while it is made, and this "
                          "program may use %5 GiB; give a smaller --size")
        .arg(size.width())
        .arg(size.height())
        .arg(QLatin1String(kindName(kind)))
        .arg(gigabytes(needed), gigabytes(usable));
}

} // namespace exporting
