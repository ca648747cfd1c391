#include "export/LumaMap.h"

#include <QtEndian>

#include <algorithm>

namespace exporting {

namespace {

constexpr qint64 kWhite = 65535;

} // namespace

QImage lumaMap(const QList<reveal::StepCell> &steps, const QSize &size) {
    QImage map(size, QImage::Format_Grayscale16);
    map.fill(0);
    const qint64 end = steps.isEmpty() ? 0 : steps.constLast().startMs;
    for (const reveal::StepCell &step : steps) {
        // Rounded to the nearest level, halves up.
        const auto level = quint16(end > 0 ? (2 * kWhite * step.startMs + end) / (2 * end) : 0);
        const QRect cell = reveal::RevealRun::frameCell(step.cell, size);
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            auto *line = reinterpret_cast<quint16 *>(map.scanLine(y));
            std::fill(line + cell.left(), line + cell.left() + cell.width(), level);
        }
    }
    return map;
}

QByteArray toPgm16(const QImage &map) {
    const QImage grey = map.convertToFormat(QImage::Format_Grayscale16);
    QByteArray pgm = QByteArrayLiteral("P5\n") + QByteArray::number(grey.width()) + ' ' +
                     QByteArray::number(grey.height()) + QByteArrayLiteral("\n65535\n");
    const qsizetype header = pgm.size();
    pgm.resize(header + qsizetype(grey.width()) * grey.height() * 2);
    auto *out = reinterpret_cast<uchar *>(pgm.data() + header);
    for (int y = 0; y < grey.height(); ++y) {
        const auto *line = reinterpret_cast<const quint16 *>(grey.constScanLine(y));
        for (int x = 0; x < grey.width(); ++x, out += 2)
            qToBigEndian(line[x], out);
    }
    return pgm;
}

} // namespace exporting
