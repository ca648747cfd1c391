#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace form {

// Why a picture file could not be loaded.
struct PictureProblem {
    enum Kind {
        None,
        Missing,       // no such file
        Unreadable,    // there, but not ours to read
        NotRegular,    // a directory, a FIFO, a device, a socket
        FileTooLarge,  // over the file size limit
        NotAnImage,    // not an image, or in a format no installed plugin reads
        Corrupt,       // truncated or damaged on the way through the decoder
        ZeroSize,      // declares no width or no height
        TooManyPixels, // would need more memory decoded than we allow
    };

    Kind kind = None;
    QString path;
    QSize declaredSize; // for TooManyPixels

    // One line that names the file and the reason, for the command line.
    QString english() const;
    // The same in Bulgarian, for the window's message box.
    QString bulgarian() const;
};

// Files larger than this are refused before anything is read from them.
inline constexpr qint64 kMaxPictureFileBytes = qint64(200) << 20;
// A picture whose decoded pixels would take more than this is refused from its
// header, before any of it is decoded.
inline constexpr qint64 kMaxDecodedPictureBytes = qint64(256) << 20;

// How a picture meets the size it is loaded for: filling it, cropped at the
// centre (the window's photographs), or whole inside it at its own shape, as
// large as fits (a slide on a screen).
enum class PictureFit { Fill, Inside };

// Reads a picture file and fits it to `size` logical pixels (scaled to fill, cropped at
// the centre, smooth; orientation tag applied; transparency flattened onto white; first
// frame only) at the given device-pixel ratio. On failure returns a null image and sets
// *error to one line that names the file and the reason.
QImage LoadPicture(const QString &path, QSize size, qreal devicePixelRatio, QString *error);

// The same, telling what went wrong as a kind, so that the window can say it in
// its own language. Safe to call from any thread.
QImage LoadPicture(const QString &path, QSize size, qreal devicePixelRatio, PictureProblem &problem,
                   PictureFit fit = PictureFit::Fill);

// Scales an image to fill `size` logical pixels and crops it at the centre,
// flattened onto white, at the given device-pixel ratio.
QImage fitPicture(const QImage &image, QSize size, qreal devicePixelRatio);

// Scales an image to lie whole inside `size` device pixels, keeping its shape,
// flattened onto white: as large as fits, at least one pixel each way.
QImage fitPictureInside(const QImage &image, QSize size);

// A file's name as a person would type it, quoted, on one line whatever it
// holds: for the messages that name a file.
QString shownPath(const QString &path);

// The file patterns of every format the installed image plugins can read, as
// the desktop knows them, for a file dialog's filter.
QStringList readablePicturePatterns();

} // namespace form
