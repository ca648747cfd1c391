#include "form/LoadPicture.h"

#include "form/DecoderWarnings.h"
#include "form/PictureHeaders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace form {

QString shownPath(const QString &path) {
    QString shown = QDir::toNativeSeparators(path);
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QChar(0xFFFD);
    }
    return u'"' + shown + u'"';
}

namespace {

QImage refuse(PictureProblem &problem, const QString &path, PictureProblem::Kind kind,
              QSize declared = {}) {
    problem = PictureProblem{kind, path, declared};
    return QImage();
}

// The whole image's device size when fitted, rounded like the form's edges.
QSize deviceSize(QSize size, qreal ratio) {
    return QSize(int(std::lround(size.width() * ratio)), int(std::lround(size.height() * ratio)));
}

// The size to decode a `stored` image at (before its orientation is applied) so
// that it still fills `target` once turned: no smaller than needed, and never
// larger than the file.
QSize decodeSize(QSize stored, QSize target, bool turned, PictureFit fit) {
    if (turned)
        target.transpose();
    const double across = double(target.width()) / stored.width();
    const double down = double(target.height()) / stored.height();
    const double scale = fit == PictureFit::Fill ? std::max(across, down) : std::min(across, down);
    if (scale >= 1.0)
        return stored;
    return QSize(std::max(1, int(std::ceil(stored.width() * scale))),
                 std::max(1, int(std::ceil(stored.height() * scale))));
}

// What decoding a picture of `size` takes: the pixels in the format the
// decoder hands back (a 16-bit PNG takes 8 bytes a pixel), and when that is not
// 4 bytes a pixel, the 32-bit copy that drawing it makes.
qint64 decodedBytes(QSize size, QImage::Format format) {
    const qint64 pixels = qint64(size.width()) * size.height();
    if (format == QImage::Format_Invalid)
        return pixels * 4;
    const int bits = QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 decoded = (pixels * bits + 7) / 8;
    return bits == 32 ? decoded : decoded + pixels * 4;
}

// Qt's painter reads a palette by the pixels' values, past its end where a
// file uses colours its palette lacks. Those colours are made black, as Qt
// shows them when it converts such a picture.
void completePalette(QImage &image) {
    const int needed = image.format() == QImage::Format_Indexed8 ? 256 : image.depth() == 1 ? 2 : 0;
    if (image.colorCount() >= needed)
        return;
    QList<QRgb> table = image.colorTable();
    // No palette at all: shades of grey from black to white, as Qt takes it.
    const bool grey = table.isEmpty();
    for (int i = int(table.size()); i < needed; ++i) {
        const int shade = grey ? i * 255 / (needed - 1) : 0;
        table.append(qRgb(shade, shade, shade));
    }
    image.setColorTable(table);
}

// Qt scales a picture that isn't stored in 32 bits through its painter,
// which reads past the edge of a picture one pixel wide or high. A copy in
// 32 bits is scaled on its own, by averaging.
QImage in32Bits(QImage image) {
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
        image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                : QImage::Format_RGB32);
    return image;
}

} // namespace

QString PictureProblem::english() const {
    QString reason;
    switch (kind) {
    case None:
        return QString();
    case Missing:
        reason = QStringLiteral("no such file");
        break;
    case Unreadable:
        reason = QStringLiteral("the file can't be read (permission denied)");
        break;
    case NotRegular:
        reason = QStringLiteral("not a regular file (a folder, a pipe or a device)");
        break;
    case FileTooLarge:
        reason = QStringLiteral("the file is larger than 200 MiB");
        break;
    case NotAnImage:
        reason = QStringLiteral("not an image, or in a format that can't be read");
        break;
    case Corrupt:
        reason = QStringLiteral("the image is truncated or damaged");
        break;
    case ZeroSize:
        reason = QStringLiteral("the image has no width or no height");
        break;
    case TooManyPixels:
        reason = QStringLiteral("the image is too large: %1 × %2 pixels would need more than "
                                "256 MiB decoded")
                     .arg(declaredSize.width())
                     .arg(declaredSize.height());
        break;
    }
    return QStringLiteral("can't load %1: %2").arg(shownPath(path), reason);
}

QString PictureProblem::bulgarian() const {
    QString reason;
    switch (kind) {
    case None:
        return QString();
    case Missing:
        reason = QStringLiteral("няма такъв файл.");
        break;
    case Unreadable:
        reason = QStringLiteral("файлът не може да бъде прочетен (няма права за достъп).");
        break;
    case NotRegular:
        reason = QStringLiteral("това не е обикновен файл, а папка, канал или устройство.");
        break;
    case FileTooLarge:
        reason = QStringLiteral("файлът е по-голям от 200 MiB.");
        break;
    case NotAnImage:
        reason = QStringLiteral("файлът не е изображение или форматът му не може да бъде "
                                "прочетен.");
        break;
    case Corrupt:
        reason = QStringLiteral("изображението е непълно или повредено.");
        break;
    case ZeroSize:
        reason = QStringLiteral("изображението няма ширина или височина.");
        break;
    case TooManyPixels:
        reason = QStringLiteral("изображението е твърде голямо: %1 × %2 точки биха заели над "
                                "256 MiB памет.")
                     .arg(declaredSize.width())
                     .arg(declaredSize.height());
        break;
    }
    return QStringLiteral("Снимката %1 не може да бъде заредена: %2").arg(shownPath(path), reason);
}

QImage fitPicture(const QImage &image, QSize size, qreal devicePixelRatio) {
    const QSize target = deviceSize(size, devicePixelRatio);
    // Crop to the photo's shape first, then scale: scaling a very long, thin
    // picture to fill first would make an enormous image on the way.
    const double aspect = double(target.width()) / target.height();
    QRect kept(QPoint(0, 0), image.size());
    if (double(image.width()) / image.height() > aspect)
        kept.setWidth(std::max(1, int(std::lround(image.height() * aspect))));
    else
        kept.setHeight(std::max(1, int(std::lround(image.width() / aspect))));
    kept.moveTopLeft(
        QPoint((image.width() - kept.width()) / 2, (image.height() - kept.height()) / 2));

    // Smooth scaling costs as much as the picture is large: a huge one is
    // first thinned out to three times the photo's size, which keeps the
    // smooth result and takes a fixed time whatever was decoded.
    const QSize plenty = target * 3;
    QImage cropped;
    if (kept.width() > plenty.width() && kept.height() > plenty.height()) {
        cropped = QImage(plenty, QImage::Format_ARGB32_Premultiplied);
        cropped.fill(Qt::transparent);
        QPainter thin(&cropped);
        thin.drawImage(QRect(QPoint(0, 0), plenty), image, kept);
    } else {
        cropped = in32Bits(image.copy(kept));
    }

    QImage fitted(target, QImage::Format_RGB32);
    fitted.fill(Qt::white);
    {
        QPainter p(&fitted);
        p.drawImage(QPoint(0, 0),
                    cropped.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    fitted.setDevicePixelRatio(devicePixelRatio);
    return fitted;
}

namespace {

// The size of `image` shrunk or grown to lie whole inside `target`.
QSize insideSize(QSize image, QSize target) {
    const double scale =
        std::min(double(target.width()) / image.width(), double(target.height()) / image.height());
    return QSize(std::clamp(int(std::lround(image.width() * scale)), 1, target.width()),
                 std::clamp(int(std::lround(image.height() * scale)), 1, target.height()));
}

} // namespace

QImage fitPictureInside(const QImage &image, QSize size) {
    const QSize target = insideSize(image.size(), size);
    // As in fitPicture, a huge picture is thinned out first.
    const QSize plenty = target * 3;
    QImage source;
    if (image.width() > plenty.width() && image.height() > plenty.height()) {
        source = QImage(plenty, QImage::Format_ARGB32_Premultiplied);
        source.fill(Qt::transparent);
        QPainter thin(&source);
        thin.drawImage(QRect(QPoint(0, 0), plenty), image);
    } else {
        source = in32Bits(image);
    }
    QImage fitted(target, QImage::Format_RGB32);
    fitted.fill(Qt::white);
    QPainter p(&fitted);
    p.drawImage(QPoint(0, 0),
                source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return fitted;
}

QImage LoadPicture(const QString &path, QSize size, qreal devicePixelRatio, PictureProblem &problem,
                   PictureFit fit) {
    using Kind = PictureProblem::Kind;
    problem = PictureProblem{Kind::None, path, {}};
    if (path.isEmpty())
        return refuse(problem, path, Kind::Missing);

    // Look before opening: opening a FIFO for reading waits for a writer.
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) != 0)
        return refuse(problem, path, errno == EACCES ? Kind::Unreadable : Kind::Missing);
    if (!S_ISREG(info.st_mode))
        return refuse(problem, path, Kind::NotRegular);
    if (info.st_size > kMaxPictureFileBytes)
        return refuse(problem, path, Kind::FileTooLarge);

    // The name may have been swapped for something else since: open without
    // waiting, then check again what was opened.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return refuse(problem, path, errno == ENOENT ? Kind::Missing : Kind::Unreadable);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(problem, path, Kind::Unreadable);
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return refuse(problem, path, Kind::NotRegular);
    if (info.st_size > kMaxPictureFileBytes)
        return refuse(problem, path, Kind::FileTooLarge);

    DecoderWarnings warnings;
    // The content decides the format. Some formats (TGA) have no signature to
    // be told by: for those the name's suffix says which decoder to ask.
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    // (The few header bits of WBMP and ICO are met by many other files, TGAs
    // among them.)
    QByteArray format = QImageReader::imageFormat(&file);
    file.seek(0);
    static const QByteArrayList kWeakSignatures = {"tga", "wbmp", "ico", "cur"};
    if ((format.isEmpty() || kWeakSignatures.contains(format)) && !suffix.isEmpty() &&
        QImageReader::supportedImageFormats().contains(suffix))
        format = suffix;
    if (format == "tga" && targaLacksFooter(fd, info.st_size))
        return refuse(problem, path, Kind::NotAnImage);
    auto reader = std::make_unique<QImageReader>(&file, format);
    if (!format.isEmpty() && !reader->canRead()) {
        reader = std::make_unique<QImageReader>();
        file.seek(0);
        reader->setDevice(&file);
    }
    reader->setAutoTransform(true);
    // Qt's own guard for formats that can't tell their size up front.
    reader->setAllocationLimit(int(kMaxDecodedPictureBytes >> 20));
    if (!reader->canRead())
        return refuse(problem, path, Kind::NotAnImage);

    // Qt's GIF reader decodes into a picture of the whole screen the file
    // declares, whatever the size of the image on it.
    QSize declared = reader->format() == "gif" ? headerSize(fd) : reader->size();
    if (!declared.isValid())
        declared = headerSize(fd);
    if (declared.isValid()) {
        if (declared.isEmpty())
            return refuse(problem, path, Kind::ZeroSize);
        if (decodedBytes(declared, reader->imageFormat()) > kMaxDecodedPictureBytes)
            return refuse(problem, path, Kind::TooManyPixels, declared);
        // A large JPEG is decoded at a fraction of its size straight from the file.
        if (reader->supportsOption(QImageIOHandler::ScaledSize)) {
            const bool turned = reader->transformation() & QImageIOHandler::TransformationRotate90;
            reader->setScaledSize(
                decodeSize(declared, deviceSize(size, devicePixelRatio), turned, fit));
        }
    }

    const BitmapState bitmap =
        reader->format() == "bmp" ? bitmapState(fd, info.st_size) : BitmapState::Whole;
    if (bitmap == BitmapState::Damaged ||
        (reader->format() == "gif" && gifFirstImageIsDamaged(fd, info.st_size)))
        return refuse(problem, path, Kind::Corrupt);

    // A run-length coded bitmap may pass over pixels on purpose, and Qt's
    // reader leaves those as the memory was: they are decoded into a picture
    // already filled with the palette's first colour, as other viewers show them.
    QImage image;
    const bool gaps = bitmap == BitmapState::WithGaps && declared.isValid();
    if (gaps) {
        image = QImage(declared, QImage::Format_Indexed8);
        if (image.isNull())
            return refuse(problem, path, Kind::Corrupt);
        image.fill(0);
    }
    const uchar *const prepared = image.constBits();
    if (!reader->read(&image) || image.isNull() || warnings.sawDamage())
        return refuse(problem, path, Kind::Corrupt);
    if (gaps && image.constBits() != prepared)
        return refuse(problem, path, Kind::Corrupt); // decoded elsewhere, gaps unknown
    if (image.width() == 0 || image.height() == 0)
        return refuse(problem, path, Kind::ZeroSize);
    completePalette(image);
    if (fit == PictureFit::Inside)
        return fitPictureInside(image, deviceSize(size, devicePixelRatio));
    return fitPicture(image, size, devicePixelRatio);
}

QImage LoadPicture(const QString &path, QSize size, qreal devicePixelRatio, QString *error) {
    PictureProblem problem;
    QImage image = LoadPicture(path, size, devicePixelRatio, problem);
    if (error)
        *error = problem.english();
    return image;
}

QStringList readablePicturePatterns() {
    QStringList patterns;
    const QMimeDatabase types;
    for (const QByteArray &type : QImageReader::supportedMimeTypes()) {
        for (const QString &pattern :
             types.mimeTypeForName(QString::fromLatin1(type)).globPatterns()) {
            if (!patterns.contains(pattern))
                patterns.append(pattern);
        }
    }
    return patterns;
}

} // namespace form
