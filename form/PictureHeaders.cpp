#include "form/PictureHeaders.h"

#include <QByteArray>

#include <algorithm>
#include <climits>
#include <vector>

#include <unistd.h>

namespace form {

namespace {

QByteArray readAt(int fd, qint64 offset, int length) {
    QByteArray bytes(length, '\0');
    const ssize_t got = ::pread(fd, bytes.data(), std::size_t(length), off_t(offset));
    bytes.resize(got > 0 ? int(got) : 0);
    return bytes;
}

quint32 little16(const QByteArray &b, int at) {
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8;
}

quint32 little32(const QByteArray &b, int at) {
    return little16(b, at) | little16(b, at + 2) << 16;
}

quint32 big32(const QByteArray &b, int at) {
    return quint32(quint8(b[at])) << 24 | quint32(quint8(b[at + 1])) << 16 |
           quint32(quint8(b[at + 2])) << 8 | quint32(quint8(b[at + 3]));
}

} // namespace

QSize headerSize(int fd) {
    const QByteArray h = readAt(fd, 0, 26);
    if (h.size() >= 24 && h.startsWith("\x89PNG\r\n\x1a\n"))
        return QSize(int(qMin(big32(h, 16), 0x7FFFFFFFu)), int(qMin(big32(h, 20), 0x7FFFFFFFu)));
    if (h.size() >= 10 && (h.startsWith("GIF87a") || h.startsWith("GIF89a")))
        return QSize(int(little16(h, 6)), int(little16(h, 8)));
    if (h.size() >= 26 && h.startsWith("BM") && little32(h, 14) >= 40)
        return QSize(qAbs(qint32(little32(h, 18))), qAbs(qint32(little32(h, 22))));
    return QSize();
}

namespace {

// What a BMP's header says about its rows.
struct BitmapHeader {
    qint64 offset = 0; // where the pixels start
    quint32 infoSize = 0;
    qint64 width = 0;
    qint64 height = 0; // rows, whichever way up they are stored
    qint64 bits = 0;
    qint64 compression = 0;
    QByteArray bytes; // the first 66 bytes, for the colour masks
};

bool readBitmapHeader(int fd, BitmapHeader *header) {
    const QByteArray h = readAt(fd, 0, 66);
    if (h.size() < 26 || !h.startsWith("BM"))
        return false;
    header->offset = little32(h, 10);
    header->infoSize = little32(h, 14);
    if (header->infoSize == 12) {
        header->width = little16(h, 18);
        header->height = little16(h, 20);
        header->bits = little16(h, 24);
    } else if (h.size() >= 34) {
        // Qt's reader takes these fields from any other header size too.
        header->width = qint32(little32(h, 18));
        header->height = qAbs(qint64(qint32(little32(h, 22))));
        header->bits = little16(h, 28);
        header->compression = little32(h, 30);
    } else {
        return false;
    }
    header->bytes = h;
    return header->width > 0 && header->bits > 0;
}

bool isRunLengthCoded(const BitmapHeader &header) {
    return header.compression == 1 || header.compression == 2;
}

// How far run-length codes reach: whether they end before the picture is
// complete (Qt's reader then stops quietly), and whether they pass over
// pixels on purpose, by a jump or by ending a row or the picture early. Qt's
// reader leaves such pixels as it found the memory.
struct RunsReach {
    bool complete = false;
    bool gaps = false;
};

RunsReach walkRuns(int fd, qint64 fileSize, const BitmapHeader &header) {
    RunsReach reach;
    if (header.offset >= fileSize)
        return reach;
    const QByteArray runs =
        readAt(fd, header.offset, int(std::min<qint64>(fileSize - header.offset, INT_MAX)));
    const bool fourBits = header.compression == 2;
    qint64 at = 0;
    qint64 row = 0;
    qint64 x = 0;
    while (at + 2 <= runs.size()) {
        const int count = quint8(runs[at]);
        const int code = quint8(runs[at + 1]);
        at += 2;
        if (count > 0) {
            x += count;
            continue;
        }
        if (code == 0) { // the end of a row
            reach.gaps |= x < header.width;
            x = 0;
            if (++row >= header.height) {
                reach.complete = true;
                return reach;
            }
        } else if (code == 1) { // the end of the picture, the rest left blank
            reach.gaps |= row < header.height - 1 || x < header.width;
            reach.complete = true;
            return reach;
        } else if (code == 2) { // a jump right and down
            if (at + 2 > runs.size())
                return reach;
            const int right = quint8(runs[at]);
            const int down = quint8(runs[at + 1]);
            reach.gaps |= right > 0 || down > 0;
            x += right;
            row += down;
            at += 2;
            if (row >= header.height) {
                reach.complete = true;
                return reach;
            }
        } else { // `code` pixels as they are, padded to a whole word
            x += code;
            const qint64 bytes = fourBits ? (code + 1) / 2 : code;
            at += bytes + (bytes & 1);
        }
    }
    return reach;
}

} // namespace

// Qt's BMP reader stops quietly at the end of a short file and returns the
// image with its missing rows unset, and takes colour masks of nothing for
// black. The header says how long the rows must be, and what masks are.
BitmapState bitmapState(int fd, qint64 fileSize) {
    BitmapHeader header;
    if (!readBitmapHeader(fd, &header))
        return BitmapState::Whole;
    if (isRunLengthCoded(header)) {
        const RunsReach reach = walkRuns(fd, fileSize, header);
        return !reach.complete ? BitmapState::Damaged
               : reach.gaps    ? BitmapState::WithGaps
                               : BitmapState::Whole;
    }
    // The red, green and blue masks follow the basic header, or are its last fields.
    const QByteArray &h = header.bytes;
    if (header.compression == 3 && header.infoSize >= 40 &&
        (header.bits == 16 || header.bits == 32)) {
        if (h.size() < 66)
            return BitmapState::Damaged;
        if (little32(h, 54) == 0 || little32(h, 58) == 0 || little32(h, 62) == 0)
            return BitmapState::Damaged;
    }
    // Whatever else the header says, the rows must all be there.
    const qint64 rowBytes = (header.width * header.bits + 31) / 32 * 4;
    return fileSize < header.offset + rowBytes * header.height ? BitmapState::Damaged
                                                               : BitmapState::Whole;
}

// Qt reads only version 2 of TGA, which ends in its footer; without one, its
// reader says the file is damaged.
bool targaLacksFooter(int fd, qint64 fileSize) {
    return fileSize < 26 || readAt(fd, fileSize - 18, 18) != QByteArray("TRUEVISION-XFILE.", 18);
}

namespace {

// Whether the LZW codes of one image give fewer than `pixels` pixels, or a
// code that no decoder could know yet.
bool lzwIsBroken(const QByteArray &data, int minimumCodeSize, qint64 pixels) {
    if (minimumCodeSize < 1 || minimumCodeSize > 11)
        return true;
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    std::vector<int> length(4096, 1);
    int next = clear + 2;
    int width = minimumCodeSize + 1;
    int previous = -1;
    qint64 produced = 0;
    quint32 bits = 0;
    int count = 0;
    for (const char byte : data) {
        bits |= quint32(quint8(byte)) << count;
        count += 8;
        while (count >= width) {
            const int code = int(bits & ((1u << width) - 1));
            bits >>= width;
            count -= width;
            if (code == clear) {
                next = clear + 2;
                width = minimumCodeSize + 1;
                previous = -1;
                continue;
            }
            if (code == end)
                return produced < pixels;
            if (previous < 0) {
                if (code >= clear)
                    return true;
                produced += 1;
            } else {
                if (code > next || (code == next && next >= 4096))
                    return true;
                produced +=
                    code == next ? length[std::size_t(previous)] + 1 : length[std::size_t(code)];
                if (next < 4096) {
                    length[std::size_t(next++)] = length[std::size_t(previous)] + 1;
                    if (next == (1 << width) && width < 12)
                        ++width;
                }
            }
            previous = code;
            if (produced >= pixels)
                return false;
        }
    }
    return produced < pixels;
}

} // namespace

// Qt's GIF reader shows whatever part of the first image arrived before the
// file ended, and paints black where its codes make no sense. Walk the blocks
// up to the end of that image's data, and follow its codes to see that they
// make every pixel.
bool gifFirstImageIsDamaged(int fd, qint64 fileSize) {
    const QByteArray h = readAt(fd, 0, 13);
    if (h.size() < 13 || !(h.startsWith("GIF87a") || h.startsWith("GIF89a")))
        return false;
    const quint8 flags = quint8(h[10]);
    qint64 at = 13 + ((flags & 0x80) ? 3 * (2 << (flags & 7)) : 0);
    auto byteAt = [&](qint64 offset) {
        const QByteArray b = readAt(fd, offset, 1);
        return b.isEmpty() ? -1 : int(quint8(b[0]));
    };
    // Sub-blocks: a length byte, that many bytes, until a zero length.
    auto skipSubBlocks = [&](QByteArray *data) {
        for (;;) {
            const int length = byteAt(at);
            if (length < 0)
                return false;
            ++at;
            if (length == 0)
                return true;
            if (data) {
                const QByteArray block = readAt(fd, at, length);
                if (block.size() < length)
                    return false;
                data->append(block);
            }
            at += length;
        }
    };
    for (;;) {
        const int introducer = byteAt(at);
        if (introducer == 0x21) { // an extension: its label, then sub-blocks
            at += 2;
            if (!skipSubBlocks(nullptr))
                return true;
        } else if (introducer == 0x2C) {
            const QByteArray d = readAt(fd, at, 10);
            if (d.size() < 10)
                return true;
            const qint64 pixels = qint64(little16(d, 5)) * little16(d, 7);
            const quint8 local = quint8(d[9]);
            at += 10 + ((local & 0x80) ? 3 * (2 << (local & 7)) : 0);
            const int codeSize = byteAt(at++);
            QByteArray data;
            if (codeSize < 0 || !skipSubBlocks(&data) || at > fileSize)
                return true;
            return lzwIsBroken(data, codeSize, pixels);
        } else {
            // The trailer, or something Qt's reader refuses by itself.
            return false;
        }
    }
}

} // namespace form
