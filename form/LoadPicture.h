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

// Reads a picture file and fits it to `size` logical pixels (scaled to fill, cropped at
// the centre, smooth; orientation tag applied; transparency flattened onto white; first
// frame only) at the given device-pixel ratio. On failure returns a null image and sets
// *error to one line that names the file and the reason.
QImage LoadPicture(const QString &path, QSize size, qreal devicePixelRatio, QString *error);

// The same, telling what went wrong as a kind, so that the window can say it in
// its own language. Safe to call from any thread.
QImage LoadPicture(const QString &path, QSize size, qreal devicePixelRatio,
                   PictureProblem &problem);

// Scales an image to fill `size` logical pixels and crops it at the centre,
// flattened onto white, at the given device-pixel ratio.
QImage fitPicture(const QImage &image, QSize size, qreal devicePixelRatio);

// The MIME types of every format the installed image plugins can read, for a
// file dialog's filter.
QStringList readablePictureMimeTypes();

} // namespace form
