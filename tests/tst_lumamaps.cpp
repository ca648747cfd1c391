#include "ProgramRun.h"
#include "RevealOracle.h"
#include "form/LenientNumber.h"
#include "reveal/EffectCatalogue.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

// Runs the program as from a text console: no display, and a platform asked
// for that is not there, so that only the command's own choice of one works.
ProgramRun runTessaline(const QStringList &arguments) {
    return runProgram(arguments, {{}, QByteArrayLiteral("xcb"), {}});
}

// A binary PGM with 16-bit samples, as a 16-bit grey image; null if it is
// anything else.
QImage readPgm16(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> header;
    for (int line = 0; line < 3; ++line)
        header += file.readLine().trimmed().split(' ');
    if (header.size() != 4 || header.at(0) != "P5" || header.at(3) != "65535")
        return {};
    QImage image(header.at(1).toInt(), header.at(2).toInt(), QImage::Format_Grayscale16);
    const QByteArray data = file.readAll();
    if (image.isNull() || data.size() != image.width() * image.height() * 2)
        return {};
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<quint16 *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x, bytes += 2)
            line[x] = quint16(bytes[0] << 8 | bytes[1]);
    }
    return image;
}

QImage readMap(const QString &path) {
    return path.endsWith(QLatin1String(".pgm")) ? readPgm16(path) : QImage(path);
}

// Paths here have no spaces.
QStringList words(const QString &line) {
    return line.split(u' ');
}

QStringList mapNames(const QString &extension) {
    QStringList names;
    for (int effect = 1; effect <= 69; ++effect)
        names.append(
            QStringLiteral("tessaline-%1.%2").arg(effect, 2, 10, QLatin1Char('0')).arg(extension));
    return names;
}

void writeFile(const QString &path, const QByteArray &contents) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLumaMaps : public QObject {
    Q_OBJECT

private slots:
    void mapsHoldEachStepsStartTimeTileByTile_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QSize>("size");
        QTest::newRow("pgm, a size the grid does not divide")
            << "--size 333x187" << QSize(333, 187);
        QTest::newRow("png, the default size") << "--format png" << QSize(1920, 1080);
    }

    void mapsHoldEachStepsStartTimeTileByTile() {
        QFETCH(QString, options);
        QFETCH(QSize, size);
        const QString extension = options.endsWith(QLatin1String("png")) ? "png" : "pgm";
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("notes.txt")), "mine");
        writeFile(dir.filePath(QStringLiteral("tessaline-05.") + extension), "an old map");

        const ProgramRun result = runTessaline(words("--luma " + dir.path() + ' ' + options));
        QCOMPARE(result.err, QString());
        QCOMPARE(result.exitCode, 0);
        // The 69 maps, the old one replaced, and nothing else touched or left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("notes.txt")} + mapNames(extension));
        QCOMPARE(readFile(dir.filePath(QStringLiteral("notes.txt"))), QByteArray("mine"));

        QCOMPARE(oracle::startMs(100), 9950);
        for (int effect : {5, 17}) {
            const QImage map = readMap(dir.filePath(mapNames(extension).at(effect - 1)));
            QCOMPARE(map.format(), QImage::Format_Grayscale16);
            QCOMPARE(map.size(), size);
            const QList<int> steps = oracle::stepOfTile(effect);
            for (int tile = 0; tile < 100; ++tile) {
                const QRect cell = oracle::frameCell(tile % 10, tile / 10, size);
                const int expected = int(
                    std::lround(65535.0 * oracle::startMs(steps.at(tile)) / oracle::startMs(100)));
                const auto value = [&](int x, int y) {
                    return int(reinterpret_cast<const quint16 *>(map.constScanLine(y))[x]);
                };
                QCOMPARE(value(cell.center().x(), cell.center().y()), expected);
                for (int y = cell.top(); y <= cell.bottom(); ++y)
                    for (int x = cell.left(); x <= cell.right(); ++x)
                        if (value(x, y) != expected)
                            QFAIL(qPrintable(
                                QStringLiteral("effect %1: tile %2 is not flat at (%3, %4)")
                                    .arg(effect)
                                    .arg(tile)
                                    .arg(x)
                                    .arg(y)));
            }
        }
    }

    void aBadRequestIsOneLineAndChangesNothing_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("no such folder") << "--luma {dir}/missing" << 1;
        QTest::newRow("a file, not a folder") << "--luma {dir}/notes.txt" << 1;
        QTest::newRow("a map's name taken by a folder") << "--luma {dir}" << 1;
        QTest::newRow("size not WxH") << "--luma {dir} --size 1920" << 2;
        QTest::newRow("size too small") << "--luma {dir} --size=9x100" << 2;
        QTest::newRow("size too large") << "--luma {dir} --size 100x8193" << 2;
        QTest::newRow("unknown format") << "--luma {dir} --format jpg" << 2;
        QTest::newRow("stray argument") << "--luma {dir} extra" << 2;
    }

    void aBadRequestIsOneLineAndChangesNothing() {
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("notes.txt")), "mine");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("tessaline-01.pgm")));
        const QStringList before =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const ProgramRun result = runTessaline(words(arguments.replace("{dir}", dir.path())));
        QCOMPARE(result.exitCode, status);
        QVERIFY2(result.err.startsWith(QStringLiteral("tessaline: ")) &&
                     result.err.count(u'\n') == 1 && result.err.endsWith(u'\n'),
                 qPrintable(result.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("notes.txt"))), QByteArray("mine"));
    }

    // A video editor's luma wipe through a map switches the tiles in the
    // table's order, each at its step's time in the window's reveal.
    void anEditorsLumaWipePlaysTheReveal() {
#ifndef TESSALINE_MELT
        QSKIP("melt is not installed");
#else
        constexpr int effect = 17;
        constexpr int frames = 100;
        const QSize size(200, 180);
        QTemporaryDir dir;
        QCOMPARE(runTessaline(words("--luma " + dir.path() + " --size 333x187")).exitCode, 0);

        // A black clip mixed into a white one over 100 frames, on frames of another size
        // than the map's, read back as grey bytes.
        const QString map = dir.filePath(mapNames("pgm").at(effect - 1));
        const QString video = dir.filePath("wipe.raw");
        QProcess melt;
        melt.start(
            TESSALINE_MELT,
            words("-silent -quiet color:black out=99 color:white out=99 -mix 100 -mixer luma "
                  "resource=" +
                  map + " -consumer avformat:" + video +
                  " f=rawvideo vcodec=rawvideo pix_fmt=gray width=200 height=180"));
        QVERIFY(melt.waitForFinished(120000));
        QCOMPARE(melt.exitCode(), 0);
        const QByteArray pixels = readFile(video);
        QCOMPARE(pixels.size(), frames * size.width() * size.height());

        // The frame at which each tile's centre turns white; `frames` if it never does.
        const auto switchFrame = [&](int tile) {
            const int x = (tile % 10) * 20 + 10;
            const int y = (tile / 10) * 18 + 9;
            int frame = 0;
            while (frame < frames &&
                   uchar(pixels.at((frame * size.height() + y) * size.width() + x)) < 128)
                ++frame;
            return frame;
        };

        // At frame f the wipe has gone f/100 of the way: a tile switches at the
        // first frame at or past its step's start.
        const QList<int> steps = oracle::stepOfTile(effect);
        QList<int> switchOfStep(101, -1);
        for (int tile = 0; tile < 100; ++tile) {
            const int step = steps.at(tile);
            switchOfStep[step] = switchFrame(tile);
            const double due =
                std::ceil(double(frames) * oracle::startMs(step) / oracle::startMs(100));
            QVERIFY2(std::abs(switchOfStep[step] - due) <= 1,
                     qPrintable(QStringLiteral("step %1 switched at frame %2, due at %3")
                                    .arg(step)
                                    .arg(switchOfStep[step])
                                    .arg(due)));
        }
        for (int step = 2; step <= 100; ++step)
            QVERIFY2(switchOfStep[step] >= switchOfStep[step - 1],
                     qPrintable(QString::number(step)));
#endif
    }
};

QTEST_GUILESS_MAIN(TestLumaMaps)
#include "tst_lumamaps.moc"
