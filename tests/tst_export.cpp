#include "ProgramRun.h"
#include "RevealOracle.h"
#include "export/RevealAtlas.h"
#include "form/LenientNumber.h"
#include "form/Twips.h"
#include "resources/BuiltInPhotos.h"
#include "reveal/EffectCatalogue.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <memory>

namespace {

bool isOneLine(const QString &text) {
    return text.endsWith(u'\n') && text.count(u'\n') == 1 && text.size() > 1;
}

// When frame k starts: the cover for half a second, then step k at the
// window's own pace from step 1, then the source for two seconds.
int nominalStartMs(int frame) {
    return frame == 0 ? 0 : 500 + oracle::startMs(frame);
}
constexpr int kEndMs = 500 + 9950 + 2000;

// Mean difference per channel, 0 ... 255.
double meanError(const QImage &a, const QImage &b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += std::abs(qRed(p[col]) - qRed(q[col])) +
                   std::abs(qGreen(p[col]) - qGreen(q[col])) +
                   std::abs(qBlue(p[col]) - qBlue(q[col]));
    }
    return sum / (3.0 * x.width() * x.height());
}

// A photograph as the display shows it at scale K: smoothly scaled, from the top left.
QImage shownAt(const QImage &photo, int scale, QSize frame) {
    return photo.scaled(photo.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .copy(QRect(QPoint(), frame));
}

} // namespace

// A video decoded by ffmpeg into 24-bit frames of `size`.
QList<QImage> decodedFrames(const QString &path, QSize size, QString *codec) {
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=codec_name,width,height"), QStringLiteral("-of"),
                 QStringLiteral("csv=p=0"), path});
    probe.waitForFinished(60000);
    *codec = QString::fromLatin1(probe.readAllStandardOutput()).trimmed();
    QProcess decoder;
    decoder.start(QStringLiteral("ffmpeg"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                   QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                   QStringLiteral("rgb24"), QStringLiteral("-")});
    decoder.waitForFinished(60000);
    const QByteArray raw = decoder.readAllStandardOutput();
    const qsizetype bytes = qsizetype(size.width()) * size.height() * 3;
    QList<QImage> frames;
    for (qsizetype at = 0; at + bytes <= raw.size(); at += bytes)
        frames.append(QImage(reinterpret_cast<const uchar *>(raw.constData() + at), size.width(),
                             size.height(), size.width() * 3, QImage::Format_RGB888)
                          .copy());
    return frames;
}

// The first frame whose pixel at `p` is more blue than red, or -1.
int firstBlueFrame(const QList<QImage> &frames, QPoint p) {
    for (int f = 0; f < frames.size(); ++f) {
        const QColor c = frames.at(f).pixelColor(p);
        if (c.blue() > c.red())
            return f;
    }
    return -1;
}

QString flatPicture(const QString &path, Qt::GlobalColor colour) {
    QImage picture(640, 360, QImage::Format_RGB32);
    picture.fill(colour);
    picture.save(path);
    return path;
}

class TestExport : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void revealPlaysTileByTileAtTheWindowsPace_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("effect");
        QTest::addColumn<int>("scale");
        QTest::addColumn<bool>("loop");
        for (const char *format : {"gif", "webp"}) {
            for (int effect : {1, 17, 68})
                QTest::addRow("%s, effect %02d", format, effect) << format << effect << 1 << false;
        }
        QTest::addRow("gif, effect 17, scale 2, looping") << "gif" << 17 << 2 << true;
        QTest::addRow("webp, effect 05, scale 2, looping") << "webp" << 5 << 2 << true;
    }

    // What any player shows, decoded by Qt's own readers: 101 frames, each
    // tile either the cover or the source as the table says, and the steps
    // when the live reveal takes them.
    void revealPlaysTileByTileAtTheWindowsPace() {
        QFETCH(QString, format);
        QFETCH(int, effect);
        QFETCH(int, scale);
        QFETCH(bool, loop);
        const QString path = m_dir->filePath(QStringLiteral("reveal.") + format);
        QStringList arguments{QStringLiteral("--export"), path,
                              QStringLiteral("--effect"), QString::number(effect),
                              QStringLiteral("--scale"),  QString::number(scale)};
        if (loop)
            arguments.append(QStringLiteral("--loop"));
        const ProgramRun run = runProgram(arguments);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);

        QImageReader reader(path);
        QCOMPARE(reader.format(), format.toLatin1());
        QCOMPARE(reader.loopCount(), loop ? -1 : 0);
        QList<QImage> frames;
        QList<int> startsMs{0};
        for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read()) {
            frames.append(frame.convertToFormat(QImage::Format_RGB32));
            startsMs.append(startsMs.constLast() + reader.nextImageDelay());
        }
        QCOMPARE(frames.size(), 101);
        // The whole tile grid, 3000 x 2800 twips: 200 x 187 pixels at scale 1.
        QCOMPARE(frames.constFirst().size(), form::deviceRect(0, 0, 3000, 2800, scale).size());

        // The GIF's two pictures are dithered: its first and last frames are
        // what every tile must match, and they must look like the photographs.
        const QImage &cover = frames.constFirst();
        const QImage &source = frames.constLast();
        const double tolerance = format == u"gif" ? 6 : scale == 1 ? 0 : 2;
        QVERIFY(meanError(cover, shownAt(builtInCoverPhoto(), scale, cover.size())) <= tolerance);
        QVERIFY(meanError(source, shownAt(builtInSourcePhoto(), scale, cover.size())) <= tolerance);

        const QList<int> steps = oracle::stepOfTile(effect);
        for (int k = 0; k <= 100; ++k) {
            for (int tile = 0; tile < 100; ++tile) {
                const QRect r = oracle::tileOnDisplay(tile, scale) & cover.rect();
                const QImage &expected = steps.at(tile) <= k ? source : cover;
                QVERIFY2(frames.at(k).copy(r) == expected.copy(r),
                         qPrintable(QStringLiteral("frame %1, tile %2").arg(k).arg(tile)));
            }
        }

        // A GIF counts in hundredths: each start within 5 ms, the whole exact.
        const int slack = format == u"gif" ? 5 : 0;
        for (int k = 0; k <= 100; ++k) {
            QVERIFY2(std::abs(startsMs.at(k) - nominalStartMs(k)) <= slack,
                     qPrintable(QStringLiteral("frame %1 starts at %2 ms, not %3")
                                    .arg(k)
                                    .arg(startsMs.at(k))
                                    .arg(nominalStartMs(k))));
        }
        QCOMPARE(startsMs.constLast(), kEndMs);
    }

    void aFailureLeavesNoFileAndSaysOneLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        // DIR is a fresh folder that holds only an empty folder named x.gif.
        QTest::newRow("missing folder") << QStringList{"--export", "DIR/missing/x.gif"} << 1;
        QTest::newRow("folder that can't be written")
            << QStringList{"--export", "/proc/x.gif"} << 1;
        QTest::newRow("folder named x.gif") << QStringList{"--export", "DIR/x.gif"} << 1;
        QTest::newRow("unknown effect")
            << QStringList{"--export", "DIR/y.webp", "--effect", "70"} << 2;
        QTest::newRow("picture that isn't there")
            << QStringList{"--export", "DIR/y.gif", "--cover", "DIR/missing.jpg"} << 2;
        QTest::newRow("neither .gif nor .webp") << QStringList{"--export", "DIR/y.png"} << 2;
        QTest::newRow("scale 5") << QStringList{"--export", "DIR/y.gif", "--scale", "5"} << 2;
        QTest::newRow("atlas and effect")
            << QStringList{"--atlas", "DIR/y.png", "--effect", "2"} << 2;
    }

    void aFailureLeavesNoFileAndSaysOneLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("x.gif")));
        arguments.replaceInStrings(QStringLiteral("DIR"), m_dir->path());

        const ProgramRun run = runProgram(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(isOneLine(run.err), qPrintable(run.err));
        QCOMPARE(entries(), QStringList{QStringLiteral("x.gif")});
        QVERIFY(QDir(m_dir->filePath(QStringLiteral("x.gif"))).isEmpty());
        QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/x.gif")));
    }

    // A disk that fills up a few bytes before the end, when the last of the
    // file is on its way out: the old file stays as it was, and no temporary
    // one is left beside it.
    void aFullDiskKeepsTheOldFile_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("gif") << "slide.gif";
        QTest::newRow("webp") << "slide.webp";
    }

    void aFullDiskKeepsTheOldFile() {
        QFETCH(QString, name);
        const QString path = m_dir->filePath(name);
        QCOMPARE(runProgram({QStringLiteral("--export"), path}).exitCode, 0);
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        const QByteArray before = old.readAll();
        old.close();

        // The looping one is a few bytes longer than the old one.
        const rlim_t room = rlim_t(before.size() - 8);
        const ProgramRun run =
            runProgram({QStringLiteral("--export"), path, QStringLiteral("--loop")},
                       {{}, {}, [room] {
                            const rlimit limit{room, room};
                            setrlimit(RLIMIT_FSIZE, &limit);
                            // a failed write instead of a killed process
                            std::signal(SIGXFSZ, SIG_IGN);
                        }});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(isOneLine(run.err), qPrintable(run.err));
        QCOMPARE(entries(), QStringList{name});
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), before);
    }

    void ownPhotoIsRevealed() {
        QImage own(300, 200, QImage::Format_RGB32);
        own.fill(QColor(20, 200, 60));
        const QString photo = m_dir->filePath(QStringLiteral("own.png"));
        QVERIFY(own.save(photo));
        const QString path = m_dir->filePath(QStringLiteral("own.webp"));
        const ProgramRun run =
            runProgram({QStringLiteral("--export"), path, QStringLiteral("--source"), photo});
        QCOMPARE(run.exitCode, 0);

        QImageReader reader(path);
        const QImage first = reader.read();
        QImage last;
        for (QImage frame = first; !frame.isNull(); frame = reader.read())
            last = frame;
        QVERIFY(first.pixelColor(100, 100) != QColor(20, 200, 60));
        QImage expected(last.size(), last.format());
        expected.fill(QColor(20, 200, 60));
        QCOMPARE(last, expected);
    }

    void atlasShadesEachCellByItsStep() {
        const QString path = m_dir->filePath(QStringLiteral("atlas.png"));
        const ProgramRun run = runProgram({QStringLiteral("--atlas"), path});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        const QImage atlas(path);
        QVERIFY(!atlas.isNull());

        // Effect 02 starts at row 4, column 0 and ends at row 5, column 9.
        const QRect grid = exporting::atlasGridRect(1, 1);
        QVERIFY(atlas.rect().contains(grid));
        QPoint darkest, lightest;
        int darkestLightness = 256, lightestLightness = -1;
        for (int row = 0; row < 10; ++row) {
            for (int column = 0; column < 10; ++column) {
                const QPoint centre(grid.left() + grid.width() * (2 * column + 1) / 20,
                                    grid.top() + grid.height() * (2 * row + 1) / 20);
                const int lightness = qGray(atlas.pixel(centre));
                if (lightness < darkestLightness) {
                    darkestLightness = lightness;
                    darkest = QPoint(column, row);
                }
                if (lightness > lightestLightness) {
                    lightestLightness = lightness;
                    lightest = QPoint(column, row);
                }
            }
        }
        QCOMPARE(darkest, QPoint(0, 4));
        const int last = int(oracle::stepOfTile(2).indexOf(100));
        QCOMPARE(lightest, QPoint(last % 10, last / 10));
    }

    // The tiles of a video at a slide's size appear in the effect's order,
    // each on the first frame at or after its step's time.
    void videoShowsEachTileOnTime_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("effect");
        QTest::newRow("mp4, effect 17") << QStringLiteral("mp4") << 17;
        QTest::newRow("webm, effect 23") << QStringLiteral("webm") << 23;
    }

    void videoShowsEachTileOnTime() {
        QFETCH(QString, format);
        QFETCH(int, effect);
        const QSize size(320, 180);
        const int fps = 10;
        const QString path = m_dir->filePath(QStringLiteral("reveal.") + format);
        const ProgramRun run = runProgram(
            {QStringLiteral("--export"), path, QStringLiteral("--size"), QStringLiteral("320x180"),
             QStringLiteral("--fps"), QString::number(fps), QStringLiteral("--effect"),
             QString::number(effect), QStringLiteral("--cover"),
             flatPicture(m_dir->filePath(QStringLiteral("red.png")), Qt::red),
             QStringLiteral("--source"),
             flatPicture(m_dir->filePath(QStringLiteral("blue.png")), Qt::blue)});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QString codec;
        const QList<QImage> frames = decodedFrames(path, size, &codec);
        QCOMPARE(codec,
                 format == u"mp4" ? QStringLiteral("h264,320,180") : QStringLiteral("vp9,320,180"));
        QCOMPARE(frames.size(), (kEndMs * fps + 999) / 1000);
        const QList<int> steps = oracle::stepOfTile(effect);
        for (int tile = 0; tile < 100; ++tile) {
            const int column = tile % 10;
            const int row = tile / 10;
            const QPoint centre((column * 320 / 10 + (column + 1) * 320 / 10) / 2,
                                (row * 180 / 10 + (row + 1) * 180 / 10) / 2);
            const int expected = (nominalStartMs(steps.at(tile)) * fps + 999) / 1000;
            QVERIFY2(firstBlueFrame(frames, centre) == expected,
                     qPrintable(QStringLiteral("tile %1 shows at frame %2, not %3")
                                    .arg(tile)
                                    .arg(firstBlueFrame(frames, centre))
                                    .arg(expected)));
        }
    }

    // Three photos, two reveals; a bad photo stops it before any file is made.
    void slideshowRevealsEachPhotoInTurn() {
        const QString red = flatPicture(m_dir->filePath(QStringLiteral("red.png")), Qt::red);
        const QString blue = flatPicture(m_dir->filePath(QStringLiteral("blue.png")), Qt::blue);
        const QString green = flatPicture(m_dir->filePath(QStringLiteral("green.png")), Qt::green);
        const QString path = m_dir->filePath(QStringLiteral("show.mp4"));
        const QStringList common{QStringLiteral("--export"),  path,
                                 QStringLiteral("--size"),    QStringLiteral("320x180"),
                                 QStringLiteral("--fps"),     QStringLiteral("10"),
                                 QStringLiteral("--hold"),    QStringLiteral("1"),
                                 QStringLiteral("--effects"), QStringLiteral("17,23"),
                                 QStringLiteral("--photos")};
        const QString missing = m_dir->filePath(QStringLiteral("missing.jpg"));
        const ProgramRun bad = runProgram(common + QStringList{red, missing, green});
        QCOMPARE(bad.exitCode, 2);
        QVERIFY(isOneLine(bad.err) && bad.err.contains(QStringLiteral("missing.jpg")));
        QVERIFY(!QFileInfo::exists(path));

        const ProgramRun run = runProgram(common + QStringList{red, blue, green});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QString codec;
        const QList<QImage> frames = decodedFrames(path, QSize(320, 180), &codec);
        // Red held 1 s, a reveal of 9.95 s, blue held 1 s, a reveal, green held 1 s.
        QCOMPARE(frames.size(), 229);
        auto isFlat = [&](int f, QColor c) {
            for (const QPoint p : {QPoint(5, 5), QPoint(160, 90), QPoint(315, 175)}) {
                const QColor got = frames.at(f).pixelColor(p);
                if (std::abs(got.red() - c.red()) > 16 || std::abs(got.green() - c.green()) > 16 ||
                    std::abs(got.blue() - c.blue()) > 16)
                    return false;
            }
            return true;
        };
        QVERIFY(isFlat(0, Qt::red) && isFlat(9, Qt::red));
        QVERIFY(isFlat(110, Qt::blue) && isFlat(119, Qt::blue));
        // Halfway through the second reveal, some tiles are green and some still blue.
        int greenTiles = 0;
        for (int tile = 0; tile < 100; ++tile) {
            const QColor c = frames.at(170).pixelColor(16 + 32 * (tile % 10), 9 + 18 * (tile / 10));
            greenTiles += c.green() > c.blue();
        }
        QVERIFY2(greenTiles > 0 && greenTiles < 100, qPrintable(QString::number(greenTiles)));
        QVERIFY(isFlat(228, Qt::green));
    }

private:
    QStringList entries() const {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestExport)

#include "tst_export.moc"
