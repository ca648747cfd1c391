#include "export/RevealAnimation.h"

#include "form/Twips.h"
#include "resources/BuiltInPhotos.h"
#include "reveal/EffectCatalogue.h"
#include "reveal/RevealRun.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QScreen>

namespace exporting {

namespace {

// The cover shows for a moment before the first tile, and the finished source
// stays a while before the animation ends or starts again.
constexpr int kCoverMs = 500;
constexpr int kSourceMs = 2000;

// The display box without its border: its inner area holds the whole grid.
constexpr double kBoxWidthTwips = 3000;
constexpr double kBoxHeightTwips = 2800;

qreal screenRatio() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

} // namespace

// The display box is painted as the window paints it, on a picture of its
// own: filled, the cover drawn at the screen's ratio, then each step's tile
// copied from the source at that ratio.
bool recordReveal(const RevealRequest &request, TileAnimation *animation, QString *error) {
    const QList<reveal::StepCell> steps = reveal::RevealRun::stepsOfEffect(request.effect);
    if (steps.isEmpty()) {
        *error = QStringLiteral("there is no effect %1; the effects are 1 to %2")
                     .arg(request.effect)
                     .arg(reveal::kEffectCount);
        return false;
    }
    const bool own = !request.source.isNull() || !request.cover.isNull();
    const QImage source = own && !request.source.isNull() ? request.source : builtInSourcePhoto();
    const QImage cover = own && !request.cover.isNull() ? request.cover : builtInCoverPhoto();

    const qreal ratio = screenRatio();
    const QSize inner =
        form::pixelRect({0, 0, int(kBoxWidthTwips), int(kBoxHeightTwips)}).size() * ratio;
    QImage before(inner, QImage::Format_RGB32);
    before.fill(QGuiApplication::palette().color(QPalette::Window));
    if (!cover.isNull()) {
        QPainter p(&before);
        p.drawImage(0, 0, form::atRatio(cover, ratio));
    }

    QImage last = before;
    const QImage from = form::atRatio(source, ratio);
    QList<QRect> tiles;
    QRect grid;
    {
        QPainter p(&last);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const reveal::StepCell &step : steps) {
            const form::TwipsRect t =
                reveal::RevealRun::tileRect(kBoxWidthTwips, kBoxHeightTwips, step.cell);
            const QRect device = form::deviceRect(t.left, t.top, t.width, t.height, ratio);
            p.drawImage(device, from, device);
            tiles.append(device & last.rect());
            grid |= tiles.constLast();
        }
    }

    TileAnimation result;
    result.first = before.copy(grid);
    result.last = last.copy(grid);
    result.loop = request.loop;
    result.startMs.append(0);
    for (int i = 0; i < steps.size(); ++i) {
        result.changes.append(tiles.at(i).translated(-grid.topLeft()));
        result.startMs.append(kCoverMs + steps.at(i).startMs);
    }
    result.endMs = result.startMs.constLast() + kSourceMs;
    *animation = result;
    return true;
}

} // namespace exporting
