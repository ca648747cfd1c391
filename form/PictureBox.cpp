#include "form/PictureBox.h"

#include "form/FocusFrame.h"
#include "form/PictureBoxAccessible.h"
#include "form/Twips.h"
#include "form/WindowSystem.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>

namespace form {

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    PictureBoxAccessible::install();
}

void PictureBox::setHighlighted(bool highlighted) {
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    update();
}

void PictureBox::setSizeTwips(float width, float height) {
    m_widthTwips = width;
    m_heightTwips = height;
}

void PictureBox::setPicture(const QImage &picture) {
    m_picture = picture;
    m_strokes.clear();
    m_surface = QImage();
    m_surfaceRatio = 0;
    update();
}

QImage PictureBox::surface() const {
    if (m_surfaceRatio == devicePixelRatioF() && !m_surface.isNull())
        return m_surface;
    QImage surface = pictureSurface(devicePixelRatioF());
    for (const Stroke &stroke : m_strokes)
        renderStroke(surface, stroke);
    return surface;
}

void PictureBox::PaintPicture(const QImage &picture, float destLeft, float destTop, float destWidth,
                              float destHeight, float sourceLeft, float sourceTop,
                              float sourceWidth, float sourceHeight) {
    const Stroke stroke{picture,
                        {destLeft, destTop, destWidth, destHeight},
                        {sourceLeft, sourceTop, sourceWidth, sourceHeight}};
    m_strokes.push_back(stroke);
    if (m_surfaceRatio != devicePixelRatioF() || m_surface.isNull()) {
        ensureSurface();
    } else {
        renderStroke(m_surface, stroke);
    }
    // Drawing is immediate: it is on screen before the handler goes on.
    // Only the pixels the stroke changed: at a whole device-pixel ratio a tile
    // then never overlaps the tiles before it, which Qt's X11 backing store
    // would otherwise wait for the server to have read before it paints.
    const QRect device = deviceRect(destLeft, destTop, destWidth, destHeight, m_surfaceRatio);
    const QRect dest = QRectF(QPointF(device.topLeft()) / m_surfaceRatio,
                              QPointF(device.bottomRight() + QPoint(1, 1)) / m_surfaceRatio)
                           .toAlignedRect();
    repaint(dest.translated(contentsRect().topLeft()) & contentsRect());
    waitUntilDrawn();
    emit pictureDrawn(device & m_surface.rect());
}

void PictureBox::ensureSurface() {
    if (m_surfaceRatio == devicePixelRatioF() && !m_surface.isNull())
        return;
    m_surfaceRatio = devicePixelRatioF();
    m_surface = pictureSurface(m_surfaceRatio);
    for (const Stroke &stroke : m_strokes)
        renderStroke(m_surface, stroke);
}

QImage PictureBox::pictureSurface(qreal ratio) const {
    const QSize inner = contentsRect().size() * ratio;
    QImage surface(inner, QImage::Format_RGB32);
    surface.fill(palette().color(QPalette::Window));
    if (!m_picture.isNull()) {
        QPainter p(&surface);
        p.drawImage(0, 0, atRatio(m_picture, ratio));
    }
    return surface;
}

bool PictureBox::showsPictureAlone() const {
    return m_strokes.empty() && devicePixelRatioF() == 1.0 && !m_picture.hasAlphaChannel();
}

void PictureBox::renderStroke(QImage &surface, const Stroke &stroke) const {
    const qreal ratio = devicePixelRatioF();
    const QRect dest =
        deviceRect(stroke.dest[0], stroke.dest[1], stroke.dest[2], stroke.dest[3], ratio);
    const QRect source =
        deviceRect(stroke.source[0], stroke.source[1], stroke.source[2], stroke.source[3], ratio);
    // A reveal copies from the same picture at every step: scale it once.
    if (m_strokeSourceKey != stroke.picture.cacheKey() || m_strokeSource.isNull() ||
        m_strokeSourceRatio != ratio) {
        m_strokeSource = atRatio(stroke.picture, ratio);
        m_strokeSourceKey = stroke.picture.cacheKey();
        m_strokeSourceRatio = ratio;
    }
    QPainter p(&surface);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(dest, m_strokeSource, source);
}

void PictureBox::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    const QRect inner = contentsRect();
    if (showsPictureAlone()) {
        // Until something is drawn over it, the picture is shown as it is:
        // a surface of its own would only be one more copy of it.
        p.fillRect(inner, palette().color(QPalette::Window));
        p.setClipRect(inner);
        p.drawImage(inner.topLeft(), m_picture);
        p.setClipping(false);
    } else {
        ensureSurface();
        QImage shown = m_surface;
        shown.setDevicePixelRatio(m_surfaceRatio);
        p.drawImage(inner.topLeft(), shown);
    }
    if (m_highlighted) {
        // A file may be dropped here: a frame in the selection colour.
        p.setPen(QPen(palette().color(QPalette::Highlight), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRect(inner.adjusted(1, 1, -2, -2));
    }
    if (hasFocus())
        drawFocusFrame(p, inner.adjusted(2, 2, -3, -3));
    p.end();
    QFrame::paintEvent(event);
}

void PictureBox::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        const QPoint centre = rect().center();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, centre, mapToGlobal(centre),
                                  Qt::NoModifier);
        QCoreApplication::sendEvent(this, &request);
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

} // namespace form
