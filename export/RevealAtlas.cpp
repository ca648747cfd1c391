#include "export/RevealAtlas.h"

#include "form/LenientNumber.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace exporting {

namespace {

constexpr int kPanelsPerRow = 10;
constexpr int kCell = 8;
constexpr int kCaption = 16;
constexpr int kGap = 12;
constexpr int kPanelWidth = 10 * kCell + kGap;
constexpr int kPanelHeight = kCaption + 10 * kCell + kGap;

// Viridis, sampled at eighths: its lightness rises evenly from dark violet to
// light yellow, so equal steps look equally far apart, in colour vision
// deficiencies and in grey too.
QColor viridis(double t) {
    static const QRgb samples[] = {0x440154, 0x472c7a, 0x3b518b, 0x2c718e, 0x21908d,
                                   0x27ad81, 0x5cc863, 0xaadc32, 0xfde725};
    const double x = std::clamp(t, 0.0, 1.0) * 8;
    const int i = std::min(int(x), 7);
    const double f = x - i;
    const QColor a(samples[i]);
    const QColor b(samples[i + 1]);
    return QColor::fromRgbF(float(a.redF() + f * (b.redF() - a.redF())),
                            float(a.greenF() + f * (b.greenF() - a.greenF())),
                            float(a.blueF() + f * (b.blueF() - a.blueF())));
}

} // namespace

QRect atlasGridRect(int effect, int scale) {
    const int left = kGap + (effect % kPanelsPerRow) * kPanelWidth;
    const int top = kGap + (effect / kPanelsPerRow) * kPanelHeight + kCaption;
    return QRect(left * scale, top * scale, 10 * kCell * scale, 10 * kCell * scale);
}

QImage revealAtlas(const QList<QStringList> &tables, const QStringList &names, int scale) {
    const int rows = (int(tables.size()) + kPanelsPerRow - 1) / kPanelsPerRow;
    QImage atlas(QSize(kGap + kPanelsPerRow * kPanelWidth, kGap + rows * kPanelHeight) * scale,
                 QImage::Format_RGB32);
    atlas.fill(Qt::white);

    QPainter p(&atlas);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12 * scale);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x303030));
    const int cell = kCell * scale;
    for (int effect = 0; effect < tables.size(); ++effect) {
        const QRect grid = atlasGridRect(effect, scale);
        const QRect caption(grid.left(), grid.top() - kCaption * scale, grid.width(),
                            kCaption * scale);
        p.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, names.value(effect));
        // Each step is read from its entry as the reveal reads it.
        const QStringList &table = tables.at(effect);
        for (int i = 0; i < 100; ++i) {
            const double step = form::lenientNumber(table.value(i));
            const QColor colour =
                step >= 1 && step <= 100 ? viridis((step - 1) / 99) : QColor(Qt::lightGray);
            p.fillRect(grid.left() + (i % 10) * cell, grid.top() + (i / 10) * cell, cell, cell,
                       colour);
        }
    }
    return atlas;
}

} // namespace exporting
