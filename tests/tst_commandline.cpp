#include "ProgramRun.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool writeBytes(const QByteArray &name, const QByteArray &content) {
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), content.size()) == content.size();
    return ::close(fd) == 0 && written;
}

QByteArray readBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// Every file and link under `folder`, with what it holds or points to.
QStringList contents(const QString &folder) {
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        found +=
            info.filePath() + u' ' +
            (info.isSymLink() ? QStringLiteral("-> ") + info.symLinkTarget()
                              : QString::fromLatin1(readBytes(info.filePath()).toHex().left(64)));
    }
    found.sort();
    return found;
}

QByteArray pngPicture() {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

const QByteArray kGoodMap = "P5\n10 10\n65535\n an existing map";
const QByteArray kPrecious = "not a map: a file outside the maps' folder\n";

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    // Bad command lines and hostile targets: each is one line on stderr with
    // its status, and leaves on disk only what it should.
    void mistakesAndHostileTargets_data() {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<int>("exitCode");
        // What the line must say, besides beginning with the program's name.
        QTest::addColumn<QByteArrayList>("says");

        // The folder holds L/ (with a link at map 05's name to outside/precious.txt,
        // and ones beside it to outside/animation.gif and outside/clip.mp4, which
        // aren't there yet),
        // outside/precious.txt, and a picture whose name isn't UTF-8.
        QTest::newRow("a full disk")
            << QByteArrayList{"--luma", "D", "--size", "10x10"} << 1
            << QByteArrayList{"D/tessaline-04.pgm", "No space left on device", "3 maps"};
        QTest::newRow("a link at a map's name")
            << QByteArrayList{"--luma", "L", "--size", "10x10"} << 0 << QByteArrayList{};
        // The file the user names is written through a link, as by the shell.
        QTest::newRow("an animation named by a link")
            << QByteArrayList{"--export", "L/tessaline-05.pgm.gif"} << 0 << QByteArrayList{};
        QTest::newRow("a video named by a link")
            << QByteArrayList{"--export", "L/clip.mp4", "--size", "64x36", "--fps", "10"} << 0
            << QByteArrayList{};

        QTest::newRow("--luma twice") << QByteArrayList{"--luma", "L", "--luma", "outside"} << 2
                                      << QByteArrayList{"--luma is given more than once"};
        QTest::newRow("--size twice")
            << QByteArrayList{"--luma", "L", "--size", "10x10", "--size=20x20"} << 2
            << QByteArrayList{"--size"};
        QTest::newRow("--export twice") << QByteArrayList{"--export", "a.gif", "--export", "b.gif"}
                                        << 2 << QByteArrayList{"--export"};
        QTest::newRow("--effect twice")
            << QByteArrayList{"--export", "a.gif", "--effect", "2", "--effect", "3"} << 2
            << QByteArrayList{"--effect"};
        QTest::newRow("--loop twice") << QByteArrayList{"--export", "a.gif", "--loop", "--loop"}
                                      << 2 << QByteArrayList{"--loop"};
        QTest::newRow("the window's --cover twice")
            << QByteArrayList{"--cover", "a.png", "--cover", "b.png"} << 2
            << QByteArrayList{"--cover"};

        for (const char *effect : {"70", "0", "-1", "abc", "17\n", " 17"})
            QTest::addRow("effect %s", effect)
                << QByteArrayList{"--export", "a.gif", "--effect", effect} << 2
                << QByteArrayList{"no effect"};
        QTest::newRow("scale with a newline")
            << QByteArrayList{"--export", "a.gif", "--scale", "2\n"} << 2
            << QByteArrayList{"--scale"};
        QTest::newRow("format with a newline") << QByteArrayList{"--luma", "L", "--format", "png\n"}
                                               << 2 << QByteArrayList{"'png\\n'"};
        QTest::newRow("size with a newline") << QByteArrayList{"--luma", "L", "--size", "10x10\n"}
                                             << 2 << QByteArrayList{"'10x10\\n'"};
        QTest::newRow("video size with a newline")
            << QByteArrayList{"--export", "a.mp4", "--size", "320x180\n"} << 2
            << QByteArrayList{"'320x180\\n'"};
        QTest::newRow("frame rate with a newline")
            << QByteArrayList{"--export", "a.mp4", "--fps", "30\n"} << 2 << QByteArrayList{"--fps"};
        QTest::newRow("a video's effect out of range")
            << QByteArrayList{"--export", "a.mp4", "--effect", "70"} << 2
            << QByteArrayList{"no effect"};
        // --photos takes the names after it, so a mode flag there is no value of it.
        QTest::newRow("--photos twice")
            << QByteArrayList{"--export", "a.mp4", "--photos", "--photos", "x.png", "y.png"} << 2
            << QByteArrayList{"--photos"};
        QTest::newRow("a slideshow as a GIF")
            << QByteArrayList{"--export", "s.gif", "--photos", "x.png", "y.png"} << 2
            << QByteArrayList{"a slideshow is written as .mp4 or .webm"};
        QTest::newRow("escape codes in an argument")
            << QByteArrayList{"--luma", "L", "\x1b[2J\x1b[31mred"} << 2
            << QByteArrayList{"\\u001b[2J"};

        // A show's mistakes are found before any window opens.
        QTest::newRow("a show's duration out of range")
            << QByteArrayList{"--present", "x.png", "--duration", "0"} << 2
            << QByteArrayList{"--duration takes seconds, 0.1 to 60"};
        QTest::newRow("a show's duration with a newline")
            << QByteArrayList{"--present", "x.png", "--duration", "3\n"} << 2
            << QByteArrayList{"--duration"};
        QTest::newRow("a show's effect out of range")
            << QByteArrayList{"--present", "x.png", "--effects", "5,70"} << 2
            << QByteArrayList{"'5,70'"};
        QTest::newRow("a show on screen 0")
            << QByteArrayList{"--present", "x.png", "--screen", "0"} << 2
            << QByteArrayList{"--screen"};
        QTest::newRow("a show of a missing photo")
            << QByteArrayList{"--present", "outside/precious.txt", "x.png"} << 1
            << QByteArrayList{"precious.txt", "not an image"};

        // A mode's flag as another option's value is that value.
        QTest::newRow("--export as the window's --source")
            << QByteArrayList{"--source", "--export"} << 2
            << QByteArrayList{"--export", "no such file"};
        QTest::newRow("--luma as the export's --source")
            << QByteArrayList{"--export", "a.gif", "--source", "--luma"} << 2
            << QByteArrayList{"--luma", "no such file"};
        QTest::newRow("--atlas as --format") << QByteArrayList{"--luma", "L", "--format", "--atlas"}
                                             << 2 << QByteArrayList{"unknown format '--atlas'"};

        // Names that aren't UTF-8 can't be opened or written as given.
        QTest::newRow("a picture named in Latin-1")
            << QByteArrayList{"--export", "a.gif", "--source", "caf\xe9.png"} << 2
            << QByteArrayList{"caf\\xe9.png", "not a valid file name"};
        QTest::newRow("the window's picture named in Latin-1")
            << QByteArrayList{"--source", "caf\xe9.png"} << 2 << QByteArrayList{"caf\\xe9.png"};
        QTest::newRow("an animation named in Latin-1")
            << QByteArrayList{"--export", "x\xe9.gif"} << 2 << QByteArrayList{"x\\xe9.gif"};
        QTest::newRow("a maps' folder named in Latin-1")
            << QByteArrayList{"--luma", "L\xe9"} << 2 << QByteArrayList{"L\\xe9"};
    }

    void mistakesAndHostileTargets() {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArrayList, says);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QDir here(dir.path());
        QVERIFY(here.mkdir(QStringLiteral("L")) && here.mkdir(QStringLiteral("outside")));
        const QString precious = here.filePath(QStringLiteral("outside/precious.txt"));
        const QString linked = here.filePath(QStringLiteral("L/tessaline-05.pgm"));
        QVERIFY(writeBytes(QFile::encodeName(precious), kPrecious));
        QVERIFY(QFile::link(QStringLiteral("../outside/precious.txt"), linked));
        QVERIFY(QFile::link(QStringLiteral("../outside/animation.gif"), linked + ".gif"));
        QVERIFY(QFile::link(QStringLiteral("../outside/clip.mp4"),
                            here.filePath(QStringLiteral("L/clip.mp4"))));
        // Qt can't name this file to remove it with the folder.
        const QByteArray latin1Picture = QFile::encodeName(dir.path()) + "/caf\xe9.png";
        auto removePicture = qScopeGuard([&] { ::unlink(latin1Picture.constData()); });
        QVERIFY(writeBytes(latin1Picture, pngPicture()));

        const bool fullDisk = QTest::currentDataTag() == QByteArray("a full disk");
        const QString disk = here.filePath(QStringLiteral("D"));
        auto unmount = qScopeGuard([&] {
            if (fullDisk)
                QProcess::execute(QStringLiteral("umount"), {disk});
        });
        if (fullDisk) {
            if (geteuid() != 0)
                QSKIP("mounting a small disk needs root");
            QVERIFY(here.mkdir(QStringLiteral("D")));
            if (QProcess::execute(QStringLiteral("mount"),
                                  {"-t", "tmpfs", "-o", "size=64k", "tmpfs", disk}) != 0)
                QSKIP("can't mount a tmpfs here");
            // A good map at the name that meets the full disk, and room for
            // exactly three maps before it.
            QVERIFY(writeBytes(QFile::encodeName(disk + "/tessaline-04.pgm"), kGoodMap));
            QFile filler(disk + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray page(4096, 'x');
            while (filler.write(page) == page.size()) {
            }
            const qint64 pages = (filler.size() + 4095) / 4096;
            QVERIFY(filler.resize((pages - 3) * 4096));
            filler.close();
        }
        const QStringList before = contents(dir.path());

        const ProgramRun run = runProgramWithBytes(arguments, {dir.path(), {}, {}});
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0) {
            QVERIFY2(run.rawErr.isEmpty(), run.rawErr.constData());
        } else {
            QVERIFY2(run.rawErr.startsWith("tessaline: ") && run.rawErr.endsWith('\n') &&
                         run.rawErr.count('\n') == 1,
                     run.rawErr.constData());
            for (const char c : run.rawErr.chopped(1))
                QVERIFY2(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f,
                         run.rawErr.constData());
            for (const QByteArray &part : says)
                QVERIFY2(run.rawErr.contains(part), run.rawErr.constData());
        }

        // Nothing outside the maps' folder is ever written.
        QCOMPARE(readBytes(precious), kPrecious);
        if (fullDisk) {
            QCOMPARE(readBytes(disk + QStringLiteral("/tessaline-04.pgm")), kGoodMap);
            QStringList names = QDir(disk).entryList(QDir::Files | QDir::Hidden);
            QCOMPARE(names, (QStringList{"filler", "tessaline-01.pgm", "tessaline-02.pgm",
                                         "tessaline-03.pgm", "tessaline-04.pgm"}));
        } else if (exitCode == 0 && arguments.constFirst() == "--export") {
            // The link stays, and the file it points to is written.
            const QFileInfo named(here.filePath(QString::fromUtf8(arguments.at(1))));
            QVERIFY(named.isSymLink());
            const QByteArray written = readBytes(named.symLinkTarget());
            QVERIFY(written.startsWith("GIF89a") || written.mid(4, 4) == "ftyp");
        } else if (exitCode == 0) {
            // The link is replaced by a map of its own; its target is untouched.
            const QFileInfo map(linked);
            QVERIFY(!map.isSymLink() && map.isFile());
            QVERIFY(readBytes(linked).startsWith("P5\n10 10\n"));
            const QDir maps(here.filePath(QStringLiteral("L")));
            QCOMPARE(maps.entryList({QStringLiteral("tessaline-??.pgm")}, QDir::Files).size(), 69);
        } else {
            QCOMPARE(contents(dir.path()), before);
        }
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
