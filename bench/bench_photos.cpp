// How fast a user's photo gets from a drop to the screen, and what a
// decompression bomb costs before it is refused; each beside a baseline
// measured in the same run. Run by bench/run on its Xvfb.
//
// The baselines: for a photo, Qt reading the same file whole with QImage, as
// a program without reduced-scale decoding would before it could even start
// fitting; for the bomb, the loader reading a small valid picture.
#include "app/PhotoControls.h"
#include "app/Tessaline.h"
#include "form/LoadPicture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kGrain = 10;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A photo-like picture: smooth gradients with a little grain, so that the
// files come out about the size a camera's would (a 24 MP JPEG of 6 to 12 MiB).
QImage photoLike(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator grain(7);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int n = int(grain.bounded(kGrain));
            line[x] =
                qRgb((x * 200 / size.width() + n) & 0xFF, (y * 200 / size.height() + n) & 0xFF,
                     ((x + y) * 100 / size.width() + n) & 0xFF);
        }
    }
    return image;
}

// Peak resident memory since the last reset, in KiB.
qint64 peakKib() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

qint64 residentKib() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// From a file dropped on the source box to the box having painted it.
double dropToScreenMs(Tessaline &window, const QString &path) {
    form::PictureBox &box = window.sourceBox();
    QSignalSpy changed(window.photos, &PhotoControls::photoChanged);
    QSignalSpy failed(window.photos, &PhotoControls::loadFailed);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QElapsedTimer clock;
    clock.start();
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &enter);
    QDropEvent drop(QPointF(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &drop);
    while (changed.isEmpty()) {
        if (!failed.isEmpty()) {
            std::fprintf(stderr, "can't load %s\n", qPrintable(path));
            std::exit(1);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    box.repaint();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    window.photos->restoreBuiltIn(PhotoControls::Source);
    QCoreApplication::processEvents();
    return ms;
}

double wholeDecodeMs(const QString &path) {
    QElapsedTimer clock;
    clock.start();
    const QImage image(path);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    return image.isNull() ? -1 : ms;
}

void row(const char *figure, double value, double baseline) {
    std::printf("%-40s %10.3f %10.3f %8.3f\n", figure, value, baseline,
                baseline > 0 ? value / baseline : 0.0);
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString jpeg = dir.filePath(QStringLiteral("24mp.jpg"));
    const QString png = dir.filePath(QStringLiteral("12mp.png"));
    const QString bomb = dir.filePath(QStringLiteral("bomb.png"));
    const QString small = dir.filePath(QStringLiteral("small.png"));
    photoLike(QSize(6000, 4000)).save(jpeg, "jpg", 90);
    photoLike(QSize(4000, 3000)).save(png, "png");
    photoLike(QSize(24, 16)).save(small, "png");
    {
        // 20000 x 20000 pixels declared, 1.6 GB decoded, in a file of a few bytes
        // of real data: the header is all a bomb needs to show.
        QFile in(small), out(bomb);
        in.open(QIODevice::ReadOnly);
        QByteArray bytes = in.readAll();
        auto put32 = [&](int at, quint32 v) {
            for (int k = 0; k < 4; ++k)
                bytes[at + k] = char(v >> (24 - 8 * k));
        };
        put32(16, 20000);
        put32(20, 20000);
        quint32 crc = 0xFFFFFFFFu;
        for (char c : bytes.mid(12, 17)) {
            crc ^= quint8(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        put32(29, ~crc);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
    }

    Tessaline window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    std::vector<double> jpegDrop, jpegWhole, pngDrop, pngWhole, bombMs, smallMs;
    std::vector<double> bombPeak, smallPeak;
    dropToScreenMs(window, small); // plugins loaded, caches warm
    for (int i = 0; i < kRuns; ++i) {
        jpegDrop.push_back(dropToScreenMs(window, jpeg));
        jpegWhole.push_back(wholeDecodeMs(jpeg));
        pngDrop.push_back(dropToScreenMs(window, png));
        pngWhole.push_back(wholeDecodeMs(png));
        for (auto [path, times, peaks] :
             {std::tuple(&bomb, &bombMs, &bombPeak), std::tuple(&small, &smallMs, &smallPeak)}) {
            resetPeak();
            const qint64 before = residentKib();
            QElapsedTimer clock;
            clock.start();
            QString error;
            form::LoadPicture(*path, QSize(250, 187), 1.0, &error);
            times->push_back(double(clock.nsecsElapsed()) / 1e6);
            peaks->push_back(double(peakKib() - before) / 1024.0);
        }
    }

    std::printf("bench_photos: median of %d runs, device-pixel ratio %.2f\n", kRuns,
                window.devicePixelRatioF());
    std::printf("%-40s %10s %10s %8s\n", "figure", "value", "baseline", "ratio");
    row("24 MP JPEG, drop to screen (ms)", median(jpegDrop), median(jpegWhole));
    row("4000x3000 PNG, drop to screen (ms)", median(pngDrop), median(pngWhole));
    row("bomb refused (ms)", median(bombMs), median(smallMs));
    row("bomb, peak memory growth (MiB)", median(bombPeak), median(smallPeak));
    std::printf("files: JPEG %.1f MiB, PNG %.1f MiB\n", QFileInfo(jpeg).size() / 1048576.0,
                QFileInfo(png).size() / 1048576.0);
    std::printf("baselines: the same file read whole by QImage; for the bomb, a 24x16 PNG "
                "through the same loader\n");
    return 0;
}
