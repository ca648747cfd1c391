// A slide of a PDF rendered at 3840 x 2160 through the show's PDF module,
// beside Poppler's own pdftoppm rendering the same page at the same pixel size.
// Each is timed from the file to the pixels: the document opened, the page
// rendered; pdftoppm's time includes its start and writing its PPM to a
// memory-backed folder.
#include "present/PdfDocument.h"

#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRuns = 15;
constexpr QSize kScreen{3840, 2160};

// A slide as a slide program exports one: a title, text, shapes and a gradient.
void writeSlide(const QString &path) {
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QSizeF(960, 540), QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setResolution(72);
    QPainter p(&pdf);
    QLinearGradient sky(0, 0, 0, 540);
    sky.setColorAt(0, QColor(20, 60, 140));
    sky.setColorAt(1, QColor(200, 220, 255));
    p.fillRect(QRect(0, 0, 960, 540), sky);
    QFont title = p.font();
    title.setPixelSize(48);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(40, 30, 880, 70), Qt::AlignLeft,
               QStringLiteral("Photosynthesis, step by step"));
    QFont body = title;
    body.setPixelSize(24);
    p.setFont(body);
    for (int line = 0; line < 8; ++line)
        p.drawText(60, 150 + line * 40,
                   QStringLiteral("%1. Light is absorbed by chlorophyll in the thylakoid membrane")
                       .arg(line + 1));
    p.setBrush(QColor(255, 180, 0));
    p.drawEllipse(QPointF(820, 400), 90, 90);
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    QTemporaryDir dir(QStringLiteral("/dev/shm/bench-present-XXXXXX"));
    if (!dir.isValid())
        return std::fprintf(stderr, "can't make a folder in /dev/shm\n"), 1;
    const QString pdfPath = dir.filePath(QStringLiteral("slide.pdf"));
    writeSlide(pdfPath);

    QList<double> ours;
    QSize pixels;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        const present::PdfDocument pdf(pdfPath);
        const QImage page = pdf.render(0, kScreen);
        ours.append(clock.nsecsElapsed() / 1e6);
        if (page.isNull())
            return std::fprintf(stderr, "%s\n", qPrintable(pdf.error())), 1;
        pixels = page.size();
    }

    QList<double> theirs;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        const int status = QProcess::execute(
            QStringLiteral("pdftoppm"),
            {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
             QStringLiteral("-scale-to-x"), QString::number(pixels.width()),
             QStringLiteral("-scale-to-y"), QString::number(pixels.height()),
             QStringLiteral("-singlefile"), pdfPath, dir.filePath(QStringLiteral("page"))});
        theirs.append(clock.nsecsElapsed() / 1e6);
        if (status != 0)
            return std::fprintf(stderr, "pdftoppm failed (status %d)\n", status), 1;
    }
    const double value = median(ours);
    const double baseline = median(theirs);
    std::printf("%-44s %12.3f %12.3f %8.3f\n", "PDF page at 3840x2160 (ms, median)", value,
                baseline, value / baseline);
    std::printf("bench_present: %dx%d pixels, %d runs each\n", pixels.width(), pixels.height(),
                kRuns);
    return 0;
}
