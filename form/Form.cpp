#include "form/Form.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace form {

Form::Form(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setAutoFillBackground(true);
}

void Form::setClientSizeTwips(int width, int height) {
    m_scaleWidth = float(width);
    m_scaleHeight = float(height);
    setFixedSize(pixelRect({0, 0, width, height}).size());
}

void Form::setBackColor(ColorRef color) {
    m_backColor = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(color));
    setPalette(p);
}

void Form::place(QWidget *control, const TwipsRect &twips) {
    control->setParent(this);
    control->setGeometry(pixelRect(twips));
    control->setAttribute(Qt::WA_NoMousePropagation);
}

void Form::setVisible(bool visible) {
    if (visible && !m_centred) {
        m_centred = true;
        centreOnScreen();
    }
    QWidget::setVisible(visible);
}

void Form::centreOnScreen() {
    // Without a window manager a new window lands at the top-left corner.
    const QRect available = screen()->availableGeometry();
    move(available.x() + (available.width() - width()) / 2,
         available.y() + (available.height() - height()) / 2);
}

void Form::ensureDrawing() {
    const qreal ratio = devicePixelRatioF();
    if (!m_drawing.isNull() && m_drawing.devicePixelRatio() == ratio)
        return;
    m_drawing = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    m_drawing.setDevicePixelRatio(ratio);
    m_drawing.fill(Qt::transparent);
}

qint64 Form::refreshIntervalNs() const {
    const qreal hz = screen() && screen()->refreshRate() > 1 ? screen()->refreshRate() : 60.0;
    return qint64(1e9 / hz);
}

void Form::PSet(float x, float y, ColorRef color) {
    ensureDrawing();
    const int radius = m_drawWidth / 2;
    const QRect disc(twipsToDevice(x) - radius, twipsToDevice(y) - radius, m_drawWidth,
                     m_drawWidth);
    QPainter p(&m_drawing);
    p.setPen(Qt::NoPen);
    p.setBrush(toQColor(color)); // no antialiasing: every pixel is the exact colour
    if (m_drawWidth <= 1)
        p.fillRect(disc, toQColor(color));
    else
        p.drawEllipse(disc);
    p.end();

    m_unshown |= disc;
    if (!m_sinceShown.isValid() || m_sinceShown.nsecsElapsed() >= refreshIntervalNs())
        present();
}

void Form::present() {
    if (m_unshown.isEmpty())
        return;
    repaint(m_unshown & rect());
    m_unshown = QRect();
    m_sinceShown.start();
    ++m_presentCount;
}

void Form::Cls() {
    if (m_drawing.isNull())
        return;
    m_drawing.fill(Qt::transparent);
    m_unshown = QRect();
    update();
}

void Form::paintEvent(QPaintEvent *event) {
    if (m_drawing.isNull())
        return;
    QPainter p(this);
    p.drawImage(event->rect(), m_drawing,
                QRectF(QPointF(event->rect().topLeft()) * m_drawing.devicePixelRatio(),
                       QSizeF(event->rect().size()) * m_drawing.devicePixelRatio()));
}

void Form::mousePressEvent(QMouseEvent *event) {
    m_pressed = event->button() == Qt::LeftButton;
}

void Form::mouseDoubleClickEvent(QMouseEvent *) {
    // The second press of a double click is no click of its own.
    m_pressed = false;
}

void Form::mouseReleaseEvent(QMouseEvent *event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton;
    m_pressed = false;
    if (click)
        emit clicked();
}

} // namespace form
