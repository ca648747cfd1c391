#include "PictureFiles.h"
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

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
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
const QByteArray kOldFile = "an existing file the user made";
// Names of 255 bytes, the longest a file may have, and one of 256.
const QByteArray kLongGif = QByteArray(251, 'g') + ".gif";
const QByteArray kLongMp4 = QByteArray(251, 'v') + ".mp4";
const QByteArray kTooLong = QByteArray(252, 'x') + ".gif";
const QByteArray kStale = ".old.mp4.Zq3xW9.part";

// Whether the row's program runs as an ordinary user, or is stopped by a
// signal while it writes.
bool asUser(const char *tag) {
    return QByteArray(tag).startsWith("as a user");
}
int stopSignal(const char *tag) {
    const QByteArray t(tag);
    return t.startsWith("SIGINT")    ? SIGINT
           : t.startsWith("SIGTERM") ? SIGTERM
           : t.startsWith("SIGHUP")  ? SIGHUP
                                     : 0;
}

// Every temporary file left anywhere under `folder`.
QStringList temporaries(const QString &folder) {
    QStringList found;
    QDirIterator it(folder, {QStringLiteral("*.part")}, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found += it.next();
    return found;
}
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

        // The folder also holds old.mp4 and old.gif, which the user made; prot.mp4
        // and prot.gif, which are read-only, and the read-only folder ro/; loop-a.* and loop-b.*,
        // links to each other; a file with a name of the longest length for each kind, and bad.bmp
        // and masks.bmp, damaged.
        QTest::newRow("a slideshow too long to count")
            << (QByteArrayList{"--export", "old.mp4", "--size", "16x16", "--fps", "120", "--hold",
                               "3600", "--photos"} +
                QByteArrayList(5000, "missing.png"))
            << 2 << QByteArrayList{"hours", "at most 4971 hours"};
        QTest::newRow("as a user, prot.mp4")
            << QByteArrayList{"--export", "prot.mp4", "--size", "64x36", "--fps", "10"} << 1
            << QByteArrayList{"prot.mp4", "Permission denied"};
        QTest::newRow("as a user, prot.gif")
            << QByteArrayList{"--export", "prot.gif", "--size", "64x36"} << 1
            << QByteArrayList{"prot.gif", "Permission denied"};
        QTest::newRow("as a user, a read-only folder")
            << QByteArrayList{"--export", "ro/x.mp4", "--size", "64x36", "--fps", "10"} << 1
            << QByteArrayList{"cannot write ro/x.mp4: its folder is read-only"};
        QTest::newRow("as a user, prot.gif at the window's size")
            << QByteArrayList{"--export", "prot.gif"} << 1
            << QByteArrayList{"prot.gif", "Permission denied"};
        for (const char *name : {"loop-a.gif", "loop-a.mp4"})
            QTest::addRow("a loop of links at %s", name)
                << QByteArrayList{"--export", name} << 1
                << QByteArrayList{name, "Too many levels of symbolic links"};
        for (const char *stop : {"SIGINT", "SIGTERM", "SIGHUP"})
            QTest::addRow("%s during a video", stop)
                << QByteArrayList{"--export", "old.mp4", "--fps", "120"} << -1 << QByteArrayList{};
        QTest::newRow("SIGTERM during luma maps")
            << QByteArrayList{"--luma", "L", "--size", "8192x8192"} << -1 << QByteArrayList{};
        QTest::newRow("with 1 GiB, a video too large to make")
            << QByteArrayList{"--export", "old.mp4", "--size", "8192x8192"} << 1
            << QByteArrayList{"8192x8192 MP4 needs up to", "GiB of memory"};
        QTest::newRow("a temporary a killed run left")
            << QByteArrayList{"--export", "old.mp4", "--size", "64x36", "--fps", "10"} << 0
            << QByteArrayList{};
        QTest::newRow("the longest name, replaced")
            << QByteArrayList{"--export", kLongGif} << 0 << QByteArrayList{};
        QTest::newRow("the longest name, a video")
            << QByteArrayList{"--export", kLongMp4, "--size", "64x36", "--fps", "10"} << 0
            << QByteArrayList{};
        QTest::newRow("a name too long")
            << QByteArrayList{"--export", kTooLong} << 1 << QByteArrayList{"File name too long"};
        QTest::newRow("a truncated run-length BMP")
            << QByteArrayList{"--export", "old.gif", "--source", "bad.bmp"} << 2
            << QByteArrayList{"bad.bmp", "truncated or damaged"};
        QTest::newRow("a BMP with empty colour masks")
            << QByteArrayList{"--export", "old.gif", "--cover", "masks.bmp"} << 2
            << QByteArrayList{"masks.bmp", "truncated or damaged"};

        // What each usage mistake is called.
        QTest::newRow("a frame rate for a GIF")
            << QByteArrayList{"--export", "o.gif", "--fps", "10"} << 2
            << QByteArrayList{"--fps is for .mp4 and .webm"};
        QTest::newRow("a format that isn't made")
            << QByteArrayList{"--export", "x.mkv"} << 2 << QByteArrayList{".mp4 or .webm"};
        QTest::newRow("an effect that isn't text")
            << QByteArrayList{"--export", "a.gif", "--effect", "\xff"} << 2
            << QByteArrayList{"'\\xff' is not valid text"};
        QTest::newRow("--scale for a video")
            << QByteArrayList{"--export", "x.mp4", "--scale", "2"} << 2
            << QByteArrayList{"--scale is for a .gif or .webp"};
        for (const char *hold : {".5", "0.0001", "03600"})
            QTest::addRow("--hold %s", hold)
                << QByteArrayList{"--export", "s.mp4",       "--hold",   hold,
                                  "--photos", "missing.png", "other.png"}
                << 2 << QByteArrayList{"missing.png", "no such file"};
        QTest::newRow("--version with an argument")
            << QByteArrayList{"--version", "stray"} << 2
            << QByteArrayList{"unexpected argument 'stray'"};
        QTest::newRow("--version onto a full disk")
            << QByteArrayList{"--version"} << 1 << QByteArrayList{"No space left on device"};

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
        QTest::newRow("a show on screen 0") << QByteArrayList{"--present", "x.png", "--screen", "0"}
                                            << 2 << QByteArrayList{"--screen"};
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

        for (const char *name : {"old.mp4", "old.gif", "prot.mp4", "prot.gif"})
            QVERIFY(writeBytes(QFile::encodeName(here.filePath(QLatin1String(name))), kOldFile));
        QVERIFY(here.mkdir(QStringLiteral("ro")));
        QVERIFY(::chmod(QFile::encodeName(here.filePath(QStringLiteral("ro"))), 0555) == 0);
        for (const char *name : {"prot.mp4", "prot.gif"})
            QVERIFY(::chmod(QFile::encodeName(here.filePath(QLatin1String(name))), 0444) == 0);
        for (const char *kind : {"gif", "mp4"}) {
            QVERIFY(
                QFile::link(QStringLiteral("loop-b.%1").arg(QLatin1String(kind)),
                            here.filePath(QStringLiteral("loop-a.%1").arg(QLatin1String(kind)))));
            QVERIFY(
                QFile::link(QStringLiteral("loop-a.%1").arg(QLatin1String(kind)),
                            here.filePath(QStringLiteral("loop-b.%1").arg(QLatin1String(kind)))));
        }
        const QByteArray folder = QFile::encodeName(dir.path()) + '/';
        QVERIFY(writeBytes(folder + kLongGif, kOldFile) && writeBytes(folder + kLongMp4, kOldFile));
        QVERIFY(writeBytes(folder + "bad.bmp", picturefiles::runLengthBitmap(5)));
        QVERIFY(
            writeBytes(folder + "masks.bmp", picturefiles::bitmap(8, 8, 32, 3, QByteArray(12, '\0'),
                                                                  QByteArray(8 * 8 * 4, '\x80'))));
        const char *tag = QTest::currentDataTag();
        if (qstrcmp(tag, "a temporary a killed run left") == 0)
            QVERIFY(writeBytes(folder + kStale, "half a video"));
        // An ordinary user may write in the folder, but not the read-only files.
        if (asUser(tag))
            QVERIFY(::chmod(folder.constData(), 0777) == 0);

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

        const int stop = stopSignal(tag);
        // A map is being written about 1.6 to 2 s after a start, a video from
        // well before 1.5 s to its end.
        const long stopNs = arguments.constFirst() == "--luma" ? 800'000'000 : 500'000'000;
        const bool fullOutput = qstrcmp(tag, "--version onto a full disk") == 0;
        const bool user = asUser(tag) && geteuid() == 0;
        const bool littleMemory = QByteArray(tag).startsWith("with 1 GiB");
#if defined(__SANITIZE_ADDRESS__)
        if (littleMemory)
            QSKIP("AddressSanitizer's shadow memory needs more address space than that");
#endif
        const ProgramRun run = runProgramWithBytes(
            arguments, {dir.path(), {}, [stop, stopNs, fullOutput, user, littleMemory] {
                            // Only what may be called between fork and exec.
                            if (stop != 0)
                                signal(stop, SIG_DFL); // even under nohup
                            if (stop != 0 && fork() == 0) {
                                const timespec wait{1, stopNs};
                                nanosleep(&wait, nullptr);
                                kill(getppid(), stop);
                                _exit(0);
                            }
                            if (littleMemory) {
                                const rlimit gigabyte{1 << 30, 1 << 30};
                                setrlimit(RLIMIT_AS, &gigabyte);
                            }
                            if (fullOutput) {
                                const int full = ::open("/dev/full", O_WRONLY);
                                dup2(full, STDOUT_FILENO);
                            }
                            if (user && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 ||
                                         setuid(65534) != 0))
                                _exit(126);
                        }});
        // Whatever happened, no temporary is left behind, and the user's own
        // files are as they were unless they were written whole.
        QCOMPARE(temporaries(dir.path()), QStringList());
        if (stop != 0) {
            // Stopped mid-way: ended by the signal, the old file as it was.
            QCOMPARE(run.exitCode, -1);
            QCOMPARE(readBytes(here.filePath(QStringLiteral("old.mp4"))), kOldFile);
            return;
        }
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
            // A link stays, and the file it points to is written.
            const QFileInfo named(here.filePath(QString::fromUtf8(arguments.at(1))));
            const QByteArray written =
                readBytes(named.isSymLink() ? named.symLinkTarget() : named.filePath());
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

    // The encoders are modules beside the program. Without the video one, or
    // with one that can't be used, a video is one line that names the module
    // and what is wrong with it; the animations and the atlas are still made.
    void videoWithoutAUsableModule_data() {
        QTest::addColumn<QString>("module"); // copied to the video module's name
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("missing") << QString() << QByteArray("is not installed");
        QTest::newRow("not a library")
            << QStringLiteral(TESSALINE_BINARY) << QByteArray("can't be loaded");
        QTest::newRow("of another version")
            << QStringLiteral(TESSALINE_OTHER_VERSION_MODULE) << QByteArray("is version 0.0.0");
    }

    void videoWithoutAUsableModule() {
#ifndef TESSALINE_VIDEO
        QSKIP("this build makes no videos");
#endif
        QFETCH(QString, module);
        QFETCH(QByteArray, says);

        // A copy of the program, with the modules of its own folder.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString program = dir.filePath(QStringLiteral("bin/tessaline"));
        const QString modules = QDir::cleanPath(
            dir.filePath(QStringLiteral("bin/") + QStringLiteral(TESSALINE_MODULE_DIR_FROM_BIN)));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("bin"))) && QDir().mkpath(modules));
        QVERIFY(QFile::copy(QStringLiteral(TESSALINE_BINARY), program));
        QVERIFY(QFile::copy(QStringLiteral(TESSALINE_ANIMATION_MODULE),
                            modules + QStringLiteral("/libtessaline-animation.so")));
        if (!module.isEmpty())
            QVERIFY(QFile::copy(module, modules + QStringLiteral("/libtessaline-video.so")));
        const ProgramSetup setup{dir.path(), {}, {}, QFile::encodeName(program)};

        const ProgramRun video =
            runProgram({"--export", "clip.mp4", "--size", "64x36", "--fps", "10"}, setup);
        QCOMPARE(video.exitCode, 1);
        QVERIFY2(video.rawErr.startsWith("tessaline: cannot write clip.mp4: the video module ") &&
                     video.rawErr.contains("libtessaline-video.so") &&
                     video.rawErr.contains(says) && video.rawErr.count('\n') == 1,
                 video.rawErr.constData());
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("clip.mp4"))));

        QCOMPARE(runProgram({"--export", "reveal.gif"}, setup).exitCode, 0);
        QVERIFY(readBytes(dir.filePath(QStringLiteral("reveal.gif"))).startsWith("GIF89a"));
        QCOMPARE(runProgram({"--atlas", "atlas.png"}, setup).exitCode, 0);
        QVERIFY(!QImage(dir.filePath(QStringLiteral("atlas.png"))).isNull());
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
