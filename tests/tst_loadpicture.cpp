#include "PictureFiles.h"
#include "form/LoadPicture.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using form::PictureProblem;
using namespace picturefiles;

namespace {

const QSize kPhoto(250, 187);
const QColor kMargin(0, 200, 0);
const QColor kMiddle(255, 0, 0);
const QColor kMark(0, 0, 255);

// Green at both far ends, red across the middle, a blue mark at the centre:
// once fitted, the green must be cropped away and the mark sit in the middle.
QImage marked(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(kMiddle);
    const bool wide = size.width() * kPhoto.height() > size.height() * kPhoto.width();
    const int end = (wide ? size.width() : size.height()) / 10;
    for (int i = 0; i < end; ++i) {
        for (int j = 0; j < (wide ? size.height() : size.width()); ++j) {
            const int far = (wide ? size.width() : size.height()) - 1 - i;
            image.setPixelColor(wide ? i : j, wide ? j : i, kMargin);
            image.setPixelColor(wide ? far : j, wide ? j : far, kMargin);
        }
    }
    const QRect mark(size.width() / 2 - size.width() / 20, size.height() / 2 - size.height() / 20,
                     std::max(1, size.width() / 10), std::max(1, size.height() / 10));
    for (int y = mark.top(); y <= mark.bottom(); ++y) {
        for (int x = mark.left(); x <= mark.right(); ++x)
            image.setPixelColor(x, y, kMark);
    }
    return image;
}

bool near(const QColor &a, const QColor &b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// A TGA made by hand as image programs write them (Qt writes none),
// uncompressed, top row first, with the version 2 footer.
QByteArray targa(const QImage &picture) {
    QByteArray tga("\0\0\x02\0\0\0\0\0\0\0\0\0", 12);
    for (const int side : {picture.width(), picture.height()}) {
        tga += char(side & 0xFF);
        tga += char(side >> 8);
    }
    tga += "\x18\x20";
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            tga += char(qBlue(c));
            tga += char(qGreen(c));
            tga += char(qRed(c));
        }
    }
    return tga + QByteArray(8, '\0') + QByteArray("TRUEVISION-XFILE.", 18);
}

} // namespace

class TestLoadPicture : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void fitsAnyShapeToThePhotoCroppedAtTheCentre_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("checkMargins");
        QTest::newRow("wide png") << encoded(marked(QSize(1000, 100)), "png") << true;
        QTest::newRow("tall png") << encoded(marked(QSize(100, 1000)), "png") << true;
        QTest::newRow("big jpeg, decoded small")
            << encoded(marked(QSize(4000, 3000)), "jpg", 90) << false;
        // Stored lying on its side; the tag says to turn it a quarter clockwise,
        // so the wide stored picture shows tall and fills the width.
        QTest::newRow("turned by its tag")
            << jpegWithOrientation(marked(QSize(1000, 300)), 6) << false;
    }

    void fitsAnyShapeToThePhotoCroppedAtTheCentre() {
        QFETCH(QByteArray, file);
        QFETCH(bool, checkMargins);
        for (const qreal ratio : {1.0, 2.0}) {
            QString error;
            const QImage fitted = form::LoadPicture(write(file), kPhoto, ratio, &error);
            QVERIFY2(!fitted.isNull(), qPrintable(error));
            QVERIFY(error.isEmpty());
            QCOMPARE(fitted.size(), kPhoto * ratio);
            QCOMPARE(fitted.devicePixelRatio(), ratio);
            QCOMPARE(fitted.format(), QImage::Format_RGB32);
            const QSize s = fitted.size();
            QVERIFY(near(fitted.pixelColor(s.width() / 2, s.height() / 2), kMark));
            if (checkMargins) {
                for (const QPoint corner :
                     {QPoint(0, 0), QPoint(s.width() - 1, 0), QPoint(0, s.height() - 1),
                      QPoint(s.width() - 1, s.height() - 1)})
                    QVERIFY(near(fitted.pixelColor(corner), kMiddle));
            }
        }
    }

    void turnsAsItsTagSays() {
        // Stored lying on its side with a yellow top edge; the tag says to turn
        // it a quarter clockwise, so that edge ends up on the right.
        QImage stored = marked(QSize(1000, 300));
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < stored.width(); ++x)
                stored.setPixelColor(x, y, Qt::yellow);
        }
        const QImage fitted =
            form::LoadPicture(write(jpegWithOrientation(stored, 6)), kPhoto, 1.0, nullptr);
        QCOMPARE(fitted.size(), kPhoto);
        QVERIFY(near(fitted.pixelColor(249, 93), Qt::yellow));
        QVERIFY(near(fitted.pixelColor(0, 93), kMiddle));
        QVERIFY(near(fitted.pixelColor(125, 0), kMiddle));
        QVERIFY(near(fitted.pixelColor(120, 93), kMark));
    }

    void tinyAndThreadThinPicturesFillThePhoto() {
        QImage dot(1, 1, QImage::Format_RGB32);
        dot.fill(QColor(10, 120, 230));
        QImage fitted = form::LoadPicture(write(encoded(dot, "png")), kPhoto, 1.0, nullptr);
        QCOMPARE(fitted.size(), kPhoto);
        QCOMPARE(fitted.pixelColor(0, 0), QColor(10, 120, 230));
        QCOMPARE(fitted.pixelColor(249, 186), QColor(10, 120, 230));

        // One pixel wide and 200000 high: filling the width first would need
        // an image of 250 x 50 million pixels on the way.
        QImage thread(1, 200000, QImage::Format_RGB32);
        thread.fill(QColor(200, 30, 30));
        fitted = form::LoadPicture(write(encoded(thread, "png")), kPhoto, 1.0, nullptr);
        QCOMPARE(fitted.size(), kPhoto);
        QCOMPARE(fitted.pixelColor(125, 93), QColor(200, 30, 30));
    }

    void transparencyGoesOnWhiteAndOnlyTheFirstFrameShows() {
        QImage clear(8, 8, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        QImage fitted = form::LoadPicture(write(encoded(clear, "png")), kPhoto, 1.0, nullptr);
        QCOMPARE(fitted.pixelColor(100, 100), QColor(Qt::white));

        QImage red(8, 8, QImage::Format_RGB32), blue(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        blue.fill(Qt::blue);
        fitted = form::LoadPicture(write(gif({red, blue})), kPhoto, 1.0, nullptr);
        QCOMPARE(fitted.pixelColor(100, 100), QColor(Qt::red));
    }

    // Every file a person might hand over that is not a usable picture: each is
    // refused with its own reason, naming the file, and nothing is returned.
    // A run-length coded BMP may pass over pixels; they show in its first
    // colour, never as whatever the memory held.
    void runLengthBitmapShowsWhatItPassesOverInItsFirstColour() {
        for (const int bits : {8, 4}) {
            const QString path = write(runLengthBitmapWithGaps(bits), ".bmp");
            QString error;
            const QImage shown = form::LoadPicture(path, QSize(40, 30), 1.0, &error);
            QVERIFY2(!shown.isNull(), qPrintable(error));
            const QColor red(200, 40, 40), blue(40, 40, 200);
            for (int y = 0; y < 30; ++y) {
                for (int x = 0; x < 40; ++x) {
                    const bool coded = y >= 20 || (y >= 10 && y <= 13) || (y == 14 && x < 20);
                    QVERIFY2(shown.pixelColor(x, y) == (coded ? blue : red),
                             qPrintable(
                                 QStringLiteral("%1 bits, pixel %2, %3").arg(bits).arg(x).arg(y)));
                }
            }
        }
    }

    // A colour that the palette lacks shows black, in a picture large enough
    // to be thinned out before it is scaled.
    void colourMissingFromThePaletteShowsBlack() {
        QByteArray palette;
        putLittle(palette, 0x00c82828);
        putLittle(palette, 0x002828c8);
        QByteArray rows;
        for (int y = 0; y < 600; ++y)
            rows += QByteArray(400, '\x01') + QByteArray(400, '\x07');
        QByteArray bmp = bitmap(800, 600, 8, 0, palette, rows);
        bmp[46] = 2; // two colours in the palette, not 256
        bmp[47] = 0;
        QString error;
        const QImage shown = form::LoadPicture(write(bmp, ".bmp"), kPhoto, 1.0, &error);
        QVERIFY2(!shown.isNull(), qPrintable(error));
        QCOMPARE(shown.pixelColor(20, 90), QColor(40, 40, 200));
        QCOMPARE(shown.pixelColor(230, 90), QColor(Qt::black));
    }

    void refusesEveryBadFileWithItsReason_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");

        QTest::newRow("missing") << m_dir.filePath("nothing-here.png")
                                 << int(PictureProblem::Missing);
        QTest::newRow("folder") << m_dir.path() << int(PictureProblem::NotRegular);
        const QString fifo = m_dir.filePath("pipe");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        // Opening this for reading would wait for a writer for ever.
        QTest::newRow("fifo") << fifo << int(PictureProblem::NotRegular);
        QTest::newRow("device") << QStringLiteral("/dev/zero") << int(PictureProblem::NotRegular);

        const QString big = m_dir.filePath("big.png");
        QFile sparse(big);
        QVERIFY(sparse.open(QIODevice::WriteOnly));
        sparse.write(encoded(sample(), "png"));
        QVERIFY(sparse.resize(form::kMaxPictureFileBytes + 1));
        sparse.close();
        QTest::newRow("over 200 MiB") << big << int(PictureProblem::FileTooLarge);

        QTest::newRow("empty") << write(QByteArray()) << int(PictureProblem::NotAnImage);
        QTest::newRow("text") << write("Снимка от класа\n") << int(PictureProblem::NotAnImage);

        const QImage picture = sample(QSize(64, 48));
        for (const char *format : {"png", "jpg", "bmp", "webp"}) {
            const QByteArray whole = encoded(picture, format);
            QTest::addRow("truncated %s", format)
                << write(whole.left(whole.size() * 6 / 10)) << int(PictureProblem::Corrupt);
        }
        const QByteArray animation = gif({picture});
        QTest::newRow("truncated gif")
            << write(animation.left(animation.size() * 6 / 10)) << int(PictureProblem::Corrupt);
        // Codes that point past the decoder's table, in the middle of the image.
        QByteArray badCodes = animation;
        for (int i = badCodes.size() / 2; i < badCodes.size() / 2 + 40; ++i)
            badCodes[i] = char(0xFF);
        QTest::newRow("damaged gif") << write(badCodes) << int(PictureProblem::Corrupt);
        QByteArray scrambled = encoded(picture, "jpg");
        for (int i = scrambled.size() / 2; i < scrambled.size() - 2; i += 3)
            scrambled[i] = char(0xFF);
        QTest::newRow("damaged jpeg") << write(scrambled) << int(PictureProblem::Corrupt);

        const QByteArray png = encoded(picture, "png");
        QTest::newRow("zero width")
            << write(pngDeclaring(png, 0, 48)) << int(PictureProblem::ZeroSize);
        QTest::newRow("zero height")
            << write(pngDeclaring(png, 64, 0)) << int(PictureProblem::ZeroSize);
        // 20000 x 20000 pixels would take 1.6 GB.
        QTest::newRow("bomb") << write(pngDeclaring(png, 20000, 20000))
                              << int(PictureProblem::TooManyPixels);
        // A screen of 65535 x 65535 pixels around one of them: the screen is
        // what is decoded.
        QByteArray wideScreen = gif({sample(QSize(1, 1))});
        wideScreen.replace(6, 4, QByteArray("\xff\xff\xff\xff", 4));
        QTest::newRow("gif with a huge screen")
            << write(wideScreen) << int(PictureProblem::TooManyPixels);
        // Qt reads only version 2 of TGA, the one with a footer.
        QTest::newRow("tga without its footer")
            << write(targa(picture).chopped(26), ".tga") << int(PictureProblem::NotAnImage);
        // 5790 x 5790 pixels of 16-bit colour take 268 MB as decoded, twice as
        // much as at 8 bits, and more again once drawn.
        QImage deep = sample(QSize(64, 48)).convertToFormat(QImage::Format_RGBA64);
        QTest::newRow("16-bit bomb") << write(pngDeclaring(encoded(deep, "png"), 5790, 5790))
                                     << int(PictureProblem::TooManyPixels);
    }

    // One good file of every format the installed plugins read, named as a
    // person would name it: each loads, whether or not its content tells the
    // format (a TGA does not).
    void readsEveryInstalledFormat() {
        const QImage picture = marked(QSize(100, 75));
        QStringList unwritable;
        for (const QByteArray &format : QImageReader::supportedImageFormats()) {
            if (!QImageWriter::supportedImageFormats().contains(format)) {
                unwritable.append(QString::fromLatin1(format));
                continue;
            }
            const QByteArray bytes = encoded(picture, format.constData());
            if (bytes.isEmpty()) {
                unwritable.append(QString::fromLatin1(format));
                continue;
            }
            const QString path = write(bytes) + u'.' + QString::fromLatin1(format);
            QVERIFY(QFile::rename(path.left(path.lastIndexOf(u'.')), path));
            QString error;
            const QImage fitted = form::LoadPicture(path, kPhoto, 1.0, &error);
            QVERIFY2(!fitted.isNull(),
                     qPrintable(QString::fromLatin1(format) + QStringLiteral(": ") + error));
            const QColor centre = fitted.pixelColor(kPhoto.width() / 2, kPhoto.height() / 2);
            QVERIFY2(near(centre, kMark, 80) || format == "pbm" || format == "xbm" ||
                         format == "pgm" || format == "wbmp",
                     format.constData());
        }
        const QByteArray tga = targa(picture);
        // The content decides; the name only hints: a JPEG named .tga is a JPEG.
        // And a BMP whose rows are run-length coded.
        for (const QString &path :
             {write(tga, ".tga"), write(encoded(picture, "jpg", 90), ".tga")}) {
            QString error;
            const QImage fitted = form::LoadPicture(path, kPhoto, 1.0, &error);
            QVERIFY2(!fitted.isNull(), qPrintable(error));
            QVERIFY(near(fitted.pixelColor(kPhoto.width() / 2, kPhoto.height() / 2), kMark, 80));
        }
        QString error;
        QVERIFY2(!form::LoadPicture(write(runLengthBitmap(), ".bmp"), kPhoto, 1.0, &error).isNull(),
                 qPrintable(error));
        if (!unwritable.isEmpty())
            qInfo("no writer here, so no file made of: %s (the TGA above is made by hand)",
                  qPrintable(unwritable.join(u' ')));
    }

    void refusesEveryBadFileWithItsReason() {
        QFETCH(QString, path);
        QFETCH(int, kind);
        PictureProblem problem;
        const QImage image = form::LoadPicture(path, kPhoto, 1.0, problem);
        QVERIFY(image.isNull());
        QCOMPARE(int(problem.kind), kind);
        QCOMPARE(problem.path, path);

        QString error;
        QVERIFY(form::LoadPicture(path, kPhoto, 1.0, &error).isNull());
        QVERIFY(error.contains(path));
        QVERIFY(!error.contains(u'\n'));
        QVERIFY(problem.bulgarian().contains(path));
    }

    // The decoders have things of their own to say about a damaged file; the
    // person starting the program sees only the one line that names it.
    void damagedFileOnTheCommandLineIsOneLine_data() {
        QTest::addColumn<QByteArray>("file");
        const QImage picture = sample(QSize(64, 48));
        for (const char *format : {"png", "tiff"}) {
            QByteArray bytes = encoded(picture, format);
            if (bytes.isEmpty())
                continue;
            for (int i = bytes.size() / 3; i < bytes.size() * 2 / 3; i += 5)
                bytes[i] = char(bytes[i] ^ 0x5A);
            if (qstrcmp(format, "png") == 0)
                QTest::addRow("damaged %s", format) << bytes;
            QTest::addRow("truncated %s", format) << bytes.left(bytes.size() / 2);
        }
    }

    void damagedFileOnTheCommandLineIsOneLine() {
        QFETCH(QByteArray, file);
        QProcess program;
        program.start(QStringLiteral(TESSALINE_BINARY), {QStringLiteral("--source"), write(file)});
        if (!program.waitForFinished(30000)) {
            program.kill();
            program.waitForFinished();
            QFAIL("the program took the file and opened its window");
        }
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(program.exitCode(), 2);
        QCOMPARE(err.count(u'\n'), 1);
        QVERIFY2(err.contains(QLatin1String("can't load")), qPrintable(err));
    }

    void unreadableFileIsRefused() {
        if (::geteuid() == 0)
            QSKIP("root reads every file");
        const QString path = write(encoded(sample(), "png"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        PictureProblem problem;
        QVERIFY(form::LoadPicture(path, kPhoto, 1.0, problem).isNull());
        QCOMPARE(problem.kind, PictureProblem::Unreadable);
    }

private:
    QString write(const QByteArray &bytes, const QString &suffix = QString()) {
        const QString path = m_dir.filePath(QStringLiteral("file%1%2").arg(m_count++).arg(suffix));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }

    QTemporaryDir m_dir;
    int m_count = 0;
};

QTEST_MAIN(TestLoadPicture)
#include "tst_loadpicture.moc"
