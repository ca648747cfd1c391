#pragma once

// Small picture files in every format the loader meets, made here rather than
// kept as binaries: for the loader's tests and as the fuzzer's first inputs.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>

#include <array>

namespace picturefiles {

inline QByteArray encoded(const QImage &image, const char *format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

inline quint32 crc32(const QByteArray &data) {
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : data) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void putBigEndian32(QByteArray &bytes, int at, quint32 value) {
    for (int k = 0; k < 4; ++k)
        bytes[at + k] = char(value >> (24 - 8 * k));
}

// A PNG whose header declares another size; its pixel data stays what it was.
inline QByteArray pngDeclaring(QByteArray png, quint32 width, quint32 height) {
    // Signature (8), IHDR length (4), "IHDR" (4), width, height, ...
    putBigEndian32(png, 16, width);
    putBigEndian32(png, 20, height);
    putBigEndian32(png, 29, crc32(png.mid(12, 17)));
    return png;
}

// A JPEG carrying an orientation tag (6: turn a quarter clockwise to view).
inline QByteArray jpegWithOrientation(const QImage &image, quint16 orientation) {
    const QByteArray jpeg = encoded(image, "jpg", 95);
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    tiff += QByteArray("\x01\0", 2);                   // one entry
    tiff += QByteArray("\x12\x01\x03\0\x01\0\0\0", 8); // 0x0112, SHORT, count 1
    tiff += char(orientation & 0xFF);
    tiff += char(orientation >> 8);
    tiff += QByteArray(2, '\0');
    tiff += QByteArray(4, '\0'); // no next directory
    QByteArray app1 = QByteArray("Exif\0\0", 6) + tiff;
    const int length = app1.size() + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    return jpeg.left(2) + segment + app1 + jpeg.mid(2);
}

// A GIF with one image per frame, in a 3-3-2 colour palette. The LZW stream
// sends every pixel as its own 9-bit code and clears the table before the
// code size would grow, which every decoder reads.
inline QByteArray gif(const QList<QImage> &frames) {
    const QSize size = frames.value(0).size();
    auto le16 = [](QByteArray &out, int value) {
        out += char(value & 0xFF);
        out += char((value >> 8) & 0xFF);
    };
    QByteArray out("GIF89a");
    le16(out, size.width());
    le16(out, size.height());
    out += char(0xF7); // global palette of 256 colours
    out += char(0);
    out += char(0);
    for (int i = 0; i < 256; ++i) {
        out += char((i >> 5) * 255 / 7);
        out += char(((i >> 2) & 7) * 255 / 7);
        out += char((i & 3) * 255 / 3);
    }
    if (frames.size() > 1)
        out += QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\0\0\0", 19);
    for (const QImage &frame : frames) {
        out += QByteArray("\x21\xF9\x04\x04\x0A\0\0\0", 8); // 100 ms a frame
        out += char(0x2C);
        le16(out, 0);
        le16(out, 0);
        le16(out, size.width());
        le16(out, size.height());
        out += char(0);
        out += char(8);

        QByteArray codes;
        quint32 bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= quint32(code) << count;
            count += 9;
            while (count >= 8) {
                codes += char(bits & 0xFF);
                bits >>= 8;
                count -= 8;
            }
        };
        int sinceClear = 0;
        put(256);
        const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                if (sinceClear == 254) {
                    put(256);
                    sinceClear = 0;
                }
                const QRgb c = rgb.pixel(x, y);
                put((qRed(c) >> 5) << 5 | (qGreen(c) >> 5) << 2 | (qBlue(c) >> 6));
                ++sinceClear;
            }
        }
        put(257);
        if (count > 0)
            codes += char(bits & 0xFF);
        for (int at = 0; at < codes.size(); at += 255) {
            const QByteArray block = codes.mid(at, 255);
            out += char(block.size());
            out += block;
        }
        out += char(0);
    }
    out += char(0x3B);
    return out;
}

inline void putLittle(QByteArray &bytes, quint32 value, int length = 4) {
    for (int k = 0; k < length; ++k)
        bytes += char(value >> (8 * k));
}

// A BMP as image programs write its header: `bits` a pixel, `compression` as
// the header names it (1: run-length coded 8-bit, 3: colour masks), `extra`
// (a palette or masks) before the pixel data, `data` as it is.
inline QByteArray bitmap(int width, int height, int bits, quint32 compression,
                         const QByteArray &extra, const QByteArray &data) {
    QByteArray bmp("BM");
    putLittle(bmp, 14 + 40 + quint32(extra.size() + data.size()));
    putLittle(bmp, 0);
    putLittle(bmp, 14 + 40 + quint32(extra.size()));
    putLittle(bmp, 40);
    putLittle(bmp, quint32(width));
    putLittle(bmp, quint32(height));
    putLittle(bmp, 1, 2);
    putLittle(bmp, quint32(bits), 2);
    putLittle(bmp, compression);
    putLittle(bmp, quint32(data.size()));
    putLittle(bmp, 2835);
    putLittle(bmp, 2835);
    putLittle(bmp, bits <= 8 ? 1u << bits : 0);
    putLittle(bmp, 0);
    return bmp + extra + data;
}

// An 8 x 8 run-length coded BMP, each row one run of its own palette colour:
// whole, or cut off after `rows` rows.
inline QByteArray runLengthBitmap(int rows = 8) {
    QByteArray palette;
    for (int i = 0; i < 256; ++i)
        putLittle(palette, quint32(i * 0x010101));
    QByteArray runs;
    for (int y = 0; y < rows; ++y)
        runs += QByteArray("\x08") + char(30 * y + 20) + QByteArray("\0\0", 2);
    if (rows == 8)
        runs += QByteArray("\0\x01", 2);
    return bitmap(8, 8, 8, 1, palette, runs);
}

// A 40 x 30 run-length coded BMP (8 or 4 bits a pixel) that passes over
// pixels on purpose: the blue rows are coded, and a jump over five rows, half a
// row ended early and the picture ended ten rows early leave the rest unset.
// Palette colour 0 is red.
inline QByteArray runLengthBitmapWithGaps(int bits) {
    QByteArray palette;
    putLittle(palette, 0x00c82828);
    putLittle(palette, 0x002828c8);
    for (int i = 2; i < (1 << bits); ++i)
        putLittle(palette, 0x00ffffff);
    const char blue = bits == 8 ? '\x01' : '\x11'; // one pixel, or two, of colour 1
    const auto run = [&](int pixels) { return QByteArray(1, char(pixels)) + blue; };
    const QByteArray endOfRow("\0\0", 2);
    QByteArray runs;
    for (int y = 0; y < 10; ++y) // the bottom ten rows
        runs += run(40) + endOfRow;
    runs += QByteArray("\0\x02\0\x05", 4); // five rows down
    runs += run(20) + endOfRow;            // then half a row
    for (int y = 16; y < 20; ++y)
        runs += run(40) + endOfRow;
    runs += QByteArray("\0\x01", 2); // and the top ten rows left out
    return bitmap(40, 30, bits, bits == 8 ? 1 : 2, palette, runs);
}

// A small picture with something in every corner and a mark in the middle, so
// that a decoder's every path has work to do.
inline QImage sample(QSize size = QSize(24, 16), bool alpha = false) {
    QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixelColor(x, y,
                                QColor(x * 255 / size.width(), y * 255 / size.height(), 96,
                                       alpha ? 64 + (x * 191 / size.width()) : 255));
    }
    return image;
}

// One small valid file of each format the fuzzer starts from.
inline QList<std::pair<QString, QByteArray>> seeds() {
    const QImage plain = sample();
    return {
        {QStringLiteral("seed.png"), encoded(sample(QSize(24, 16), true), "png")},
        {QStringLiteral("seed.jpg"), encoded(plain, "jpg", 80)},
        {QStringLiteral("seed-oriented.jpg"), jpegWithOrientation(plain, 6)},
        {QStringLiteral("seed.gif"), gif({plain, plain.mirrored()})},
        {QStringLiteral("seed.bmp"), encoded(plain, "bmp")},
        {QStringLiteral("seed-rle.bmp"), runLengthBitmap()},
        {QStringLiteral("seed.webp"), encoded(plain, "webp", 80)},
    };
}

} // namespace picturefiles
