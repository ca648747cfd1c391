// Writes the files the show's end-to-end tests present, into the folder named:
//   deck.pdf    three pages, each filled with one colour inside a border of
//               another, so that a slide cropped or stretched is seen: two
//               of 16:9, which fill a 1920 x 1080 screen, then one of 4:3
//   huge.pdf    one page of 200 x 200 inches
//   tall.png    a portrait photo, wide.jpg a landscape one, framed the same way
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstdio>

namespace {

// A slide: `fill` inside a border of `frame`, a twentieth of its width thick.
void drawSlide(QPainter &p, QRect area, QColor fill, QColor frame) {
    p.fillRect(area, frame);
    const int border = area.width() / 20;
    p.fillRect(area.adjusted(border, border, -border, -border), fill);
}

struct Page {
    QSizeF points;
    QColor fill;
    QColor frame;
};

bool writePdf(const QString &path, const QList<Page> &pages) {
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(pages.first().points, QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setResolution(72);
    QPainter p(&pdf);
    for (int i = 0; i < pages.size(); ++i) {
        const Page &page = pages.at(i);
        if (i > 0) {
            pdf.setPageSize(QPageSize(page.points, QPageSize::Point));
            pdf.newPage();
        }
        drawSlide(p, QRect(QPoint(0, 0), page.points.toSize()), page.fill, page.frame);
    }
    return p.end();
}

bool writePhoto(const QString &path, QSize size, QColor fill) {
    QImage photo(size, QImage::Format_RGB32);
    QPainter p(&photo);
    drawSlide(p, photo.rect(), fill, Qt::yellow);
    p.end();
    return photo.save(path, nullptr, path.endsWith(u".jpg") ? 95 : -1);
}

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: tessaline_make_slides FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + u'/';
    const bool written =
        writePdf(folder + "deck.pdf", {{QSizeF(960, 540), Qt::red, Qt::yellow},
                                       {QSizeF(960, 540), Qt::green, Qt::white},
                                       {QSizeF(800, 600), Qt::blue, Qt::yellow}}) &&
        writePdf(folder + "huge.pdf", {{QSizeF(14400, 14400), Qt::magenta, Qt::yellow}}) &&
        writePhoto(folder + "tall.png", QSize(600, 900), Qt::cyan) &&
        writePhoto(folder + "wide.jpg", QSize(1500, 500), QColor(128, 0, 255));
    return written ? 0 : 1;
}
