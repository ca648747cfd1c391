// Export figures for bench/run: effect 01 written as GIF and WebP at one
// scale, beside the two pictures it goes between saved as single files.
//
//     bench_export K
//
// Prints "figure value baseline ratio" lines.
#include "export/AnimationFile.h"
#include "export/RevealAnimation.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace exporting;

namespace {

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Mean difference per channel over all pixels, 0 ... 255.
double meanError(const QImage &a, const QImage &b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += std::abs(qRed(p[col]) - qRed(q[col])) +
                   std::abs(qGreen(p[col]) - qGreen(q[col])) +
                   std::abs(qBlue(p[col]) - qBlue(q[col]));
    }
    return sum / (3.0 * x.width() * x.height());
}

// One picture as a GIF with the palette made from both: an animation of one frame.
TileAnimation still(const QImage &shown, const QImage &other) {
    TileAnimation a;
    a.first = shown;
    a.last = other;
    a.startMs = {0};
    a.endMs = 1000;
    return a;
}

void row(const char *figure, double value, double baseline) {
    std::printf("%-44s %12.3f %12.3f %8.3f\n", figure, value, baseline, value / baseline);
}

} // namespace

int main(int argc, char *argv[]) {
    const int scale = argc > 1 ? std::atoi(argv[1]) : 1;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const int runs = scale == 1 ? 5 : 1;

    RevealRequest request;
    TileAnimation animation;
    QString error;
    QList<double> gifMs, webpMs, pngMs;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        if (!recordReveal(request, &animation, &error) ||
            !saveAnimation(animation, dir.filePath("a.gif"), {}, &error))
            return std::fprintf(stderr, "%s\n", qPrintable(error)), 1;
        gifMs.append(clock.nsecsElapsed() / 1e6);
        clock.restart();
        if (!recordReveal(request, &animation, &error) ||
            !saveAnimation(animation, dir.filePath("a.webp"), {}, &error))
            return std::fprintf(stderr, "%s\n", qPrintable(error)), 1;
        webpMs.append(clock.nsecsElapsed() / 1e6);
        clock.restart();
        if (!recordReveal(request, &animation, &error) ||
            !animation.first.save(dir.filePath("first.png")) ||
            !animation.last.save(dir.filePath("last.png")))
            return std::fprintf(stderr, "recording or PNG failed\n"), 1;
        pngMs.append(clock.nsecsElapsed() / 1e6);
    }
    for (const auto &[name, picture, other] :
         {std::tuple{"first.gif", animation.first, animation.last},
          std::tuple{"last.gif", animation.last, animation.first}}) {
        if (!saveAnimation(still(picture, other), dir.filePath(name), {}, &error))
            return std::fprintf(stderr, "%s\n", qPrintable(error)), 1;
    }
    const auto kib = [&](const char *name) {
        return QFileInfo(dir.filePath(name)).size() / 1024.0;
    };
    const double pngKib = kib("first.png") + kib("last.png");
    const double stillGifKib = kib("first.gif") + kib("last.gif");

    // The GIF's frames against the frames before dithering; the baseline is
    // the two single-picture GIFs against their pictures.
    QImageReader reader(dir.filePath("a.gif"));
    double frameError = 0;
    int frames = 0;
    for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read())
        frameError += meanError(frame, animation.frame(frames++));
    const double stillError = (meanError(QImage(dir.filePath("first.gif")), animation.first) +
                               meanError(QImage(dir.filePath("last.gif")), animation.last)) /
                              2;

    std::printf("bench_export: effect 01 at scale %d, %dx%d frames, %d frames read back; "
                "median of %d runs, each recording the reveal anew\n",
                scale, animation.first.width(), animation.first.height(), frames, runs);
    const QByteArray s = QByteArray::number(scale);
    row(QByteArray("scale " + s + ": GIF export, wall (ms)").constData(), median(gifMs),
        median(pngMs));
    row(QByteArray("scale " + s + ": WebP export, wall (ms)").constData(), median(webpMs),
        median(pngMs));
    row(QByteArray("scale " + s + ": GIF size (KiB)").constData(), kib("a.gif"), pngKib);
    row(QByteArray("scale " + s + ": WebP size (KiB)").constData(), kib("a.webp"), pngKib);
    row(QByteArray("scale " + s + ": GIF size vs two still GIFs (KiB)").constData(), kib("a.gif"),
        stillGifKib);
    row(QByteArray("scale " + s + ": GIF mean colour error (0-255)").constData(),
        frameError / std::max(frames, 1), stillError);
    return 0;
}
