#include "form/PictureBox.h"

#include "form/Twips.h"

#include <QGuiApplication>
#include <QPainter>

#if defined(TESSALINE_X11) && QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#define TESSALINE_WAIT_FOR_X11
#endif

namespace form {

namespace {

// A repaint hands the pixels to the window system and goes on. An X server
// may draw them only later, when the next step's countdown is already
// running, so that on a busy machine two tiles show closer together than
// their interval. A round trip to the server means it has drawn them.
// Elsewhere the window system is left to it.
void waitUntilDrawn() {
#ifdef TESSALINE_WAIT_FOR_X11
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (xcb_connection_t *connection = x11 ? x11->connection() : nullptr)
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
#endif
}

// The picture as it appears at a device-pixel ratio: each picture pixel
// becomes a block of device pixels, with edges rounded the same way as tiles.
QImage atRatio(const QImage &picture, qreal ratio) {
    if (ratio == 1.0)
        return picture.convertToFormat(QImage::Format_RGB32);
    const QSize size(twipsToDevice(pixelsToTwips(picture.width()), ratio),
                     twipsToDevice(pixelsToTwips(picture.height()), ratio));
    return picture.convertToFormat(QImage::Format_RGB32)
        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setSizeTwips(float width, float height) {
    m_widthTwips = width;
    m_heightTwips = height;
}

void PictureBox::setPicture(const QImage &picture) {
    m_picture = picture;
    m_strokes.clear();
    m_surfaceRatio = 0;
    update();
}

void PictureBox::PaintPicture(const QImage &picture, float destLeft, float destTop, float destWidth,
                              float destHeight, float sourceLeft, float sourceTop,
                              float sourceWidth, float sourceHeight) {
    const Stroke stroke{picture,
                        {destLeft, destTop, destWidth, destHeight},
                        {sourceLeft, sourceTop, sourceWidth, sourceHeight}};
    m_strokes.push_back(stroke);
    if (m_surfaceRatio != devicePixelRatioF()) {
        ensureSurface();
    } else {
        renderStroke(stroke);
    }
    // Drawing is immediate: it is on screen before the handler goes on.
    const QRect dest = deviceRect(destLeft, destTop, destWidth, destHeight, 1.0);
    repaint(dest.translated(contentsRect().topLeft()).adjusted(-1, -1, 1, 1) & contentsRect());
    waitUntilDrawn();
}

void PictureBox::ensureSurface() {
    if (m_surfaceRatio == devicePixelRatioF() && !m_surface.isNull())
        return;
    m_surfaceRatio = devicePixelRatioF();
    renderPicture();
    for (const Stroke &stroke : m_strokes)
        renderStroke(stroke);
}

void PictureBox::renderPicture() {
    const QSize inner = contentsRect().size() * m_surfaceRatio;
    m_surface = QImage(inner, QImage::Format_RGB32);
    m_surface.fill(palette().color(QPalette::Window));
    if (!m_picture.isNull()) {
        QPainter p(&m_surface);
        p.drawImage(0, 0, atRatio(m_picture, m_surfaceRatio));
    }
}

void PictureBox::renderStroke(const Stroke &stroke) {
    const qreal ratio = m_surfaceRatio;
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
    QPainter p(&m_surface);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(dest, m_strokeSource, source);
}

void PictureBox::paintEvent(QPaintEvent *event) {
    ensureSurface();
    QPainter p(this);
    const QRect inner = contentsRect();
    QImage shown = m_surface;
    shown.setDevicePixelRatio(m_surfaceRatio);
    p.drawImage(inner.topLeft(), shown);
    p.end();
    QFrame::paintEvent(event);
}

} // namespace form
