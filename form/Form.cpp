#include "form/Form.h"

#include "form/ErrorDispatcher.h"
#include "form/PictureBoxAccessible.h"
#include "form/WindowSystem.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace form {

Form::Form(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    // A screen reader's view of the form and its picture boxes is the
    // program's own, installed before anything on the form can be looked up:
    // Qt keeps the first view it makes of a widget for the widget's lifetime.
    PictureBoxAccessible::install();
    // The form paints its back colour itself: put in its palette, the colour
    // would pass to every control on it and show in scroll-bar troughs and
    // frames, which keep the platform's colours.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A window another program destroyed is gone for good: the program ends
    // as when it is closed.
    watchWindow(
        this, [this] { m_closing = true; },
        [this] {
            m_closing = true;
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        });
}

void Form::setClientSizeTwips(int width, int height) {
    m_scaleWidth = float(width);
    m_scaleHeight = float(height);
    setFixedSize(pixelRect({0, 0, width, height}).size());
}

void Form::setBackColor(ColorRef color) {
    m_backColor = color;
    update();
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

void Form::ensureDisc(int diameter) {
    if (int(m_disc.size()) == diameter)
        return;
    // A pixel belongs to the disc when its centre lies inside the circle, so
    // the disc is as wide as it is tall and the same seen from every side.
    m_disc.clear();
    const double radius = diameter / 2.0;
    for (int row = 0; row < diameter; ++row) {
        const double dy = row + 0.5 - radius;
        const double halfChord = std::sqrt(radius * radius - dy * dy);
        const int offset = int(std::ceil(radius - halfChord - 0.5));
        m_disc.push_back({offset, diameter - 2 * offset});
    }
}

QRegion Form::uncovered(const QRect &area) const {
    // The controls lie over the surface: what is under them is never seen, and
    // showing the surface must not make them paint again.
    QRegion region(area & rect());
    for (QObject *child : children()) {
        const auto *control = qobject_cast<const QWidget *>(child);
        if (control && !control->isWindow() && control->isVisibleTo(this))
            region -= control->geometry();
    }
    return region;
}

qint64 Form::refreshIntervalNs() const {
    const qreal hz = screen() && screen()->refreshRate() > 1 ? screen()->refreshRate() : 60.0;
    return qint64(1e9 / hz);
}

void Form::PSet(float x, float y, ColorRef color) {
    ensureDrawing();
    const qreal ratio = m_drawing.devicePixelRatio();
    const int diameter = int(std::lround(m_drawWidth * ratio));
    ensureDisc(diameter);

    // The disc's corner in device pixels, half the pen width up and left of
    // the point: the disc is centred on it to the nearest device pixel.
    const double half = pixelsToTwips(m_drawWidth / 2.0);
    const int left = twipsToDevice(x - half, ratio);
    const int top = twipsToDevice(y - half, ratio);
    const QRgb pixel = toQColor(color).rgb(); // opaque, so premultiplied as it is
    for (int row = 0; row < diameter; ++row) {
        const int py = top + row;
        if (py < 0 || py >= m_drawing.height())
            continue;
        const DiscRow &run = m_disc[std::size_t(row)];
        const int from = qMax(left + run.offset, 0);
        const int to = qMin(left + run.offset + run.length, m_drawing.width());
        if (from < to) {
            auto *line = reinterpret_cast<QRgb *>(m_drawing.scanLine(py));
            std::fill(line + from, line + to, pixel);
        }
    }

    const QRect logical =
        QRectF(left / ratio, top / ratio, diameter / ratio, diameter / ratio).toAlignedRect();
    m_unshown |= logical;
    m_drawn |= logical;
}

void Form::present() {
    if (m_unshown.isEmpty())
        return;
    const QRegion visible = uncovered(m_unshown);
    m_unshown = QRect();
    // Dots that all lie under controls need no present, and the next one that
    // shows goes out at once.
    if (visible.isEmpty())
        return;
    repaint(visible);
    // Shown means on the screen, so a refresh's dots stay there for the whole
    // refresh even when the window system is slow to draw them.
    waitUntilDrawn();
    m_sinceShown.start();
    ++m_presentCount;
}

void Form::waitForRefresh() {
    // Each picture stays a whole refresh, counted from when it reached the
    // screen: a present that the window system was slow to draw still shows
    // as long as the others.
    if (!m_sinceShown.isValid())
        return;
    const qint64 left = refreshIntervalNs() - m_sinceShown.nsecsElapsed();
    if (left > 0)
        std::this_thread::sleep_for(std::chrono::nanoseconds(left));
}

void Form::Cls() {
    if (m_drawing.isNull())
        return;
    m_drawing.fill(Qt::transparent);
    m_unshown = QRect();
    // Erasing is as immediate as drawing: the dots are off the screen before
    // the handler goes on, and nothing else is painted again.
    const QRegion erased = uncovered(m_drawn);
    m_drawn = QRect();
    if (!erased.isEmpty()) {
        repaint(erased);
        waitUntilDrawn();
        m_sinceShown.start(); // a burst right after this one leaves it clear for a refresh
    }
}

void Form::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    // Until a back colour is set, the form has the system's window colour.
    const QColor back =
        (m_backColor & 0x80000000) != 0 ? palette().color(QPalette::Window) : toQColor(m_backColor);
    for (const QRect &r : event->region())
        p.fillRect(r, back);
    if (m_drawing.isNull())
        return;
    const qreal ratio = m_drawing.devicePixelRatio();
    for (const QRect &r : event->region() & uncovered(rect()))
        p.drawImage(r, m_drawing, QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio));
}

void Form::closeEvent(QCloseEvent *event) {
    // A close request can come in the middle of a handler: Qt's Wayland
    // platform reads the compositor's events while a repaint waits for a free
    // buffer, and closes the window right there, under the painting. The form
    // stays until the handler has returned and closes from the event loop.
    if (handlerRunning()) {
        m_closing = true;
        event->ignore();
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    QWidget::closeEvent(event);
    m_closing = false;
    emit closed();
}

void Form::changeEvent(QEvent *event) {
    // A fixed-single form is never maximised. Where Qt draws the title bar
    // itself (a Wayland compositor that leaves decorations to the client), it
    // always draws a maximise button; here that button changes nothing.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized))
        setWindowState(windowState() & ~Qt::WindowMaximized);
    QWidget::changeEvent(event);
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
    if (!click || m_closing)
        return;
    // Clicks queue up while a burst runs. Once a close has been asked for, the
    // ones still waiting are dropped and the program ends with the burst it
    // is showing, however many there were. Where the window system's requests
    // are seen before its input is handled, each click waits one turn of the
    // event loop, so that a close request behind it is seen first.
    if (!clicksWaitTheirTurn()) {
        emit clicked();
        return;
    }
    if (++m_waitingClicks == 1)
        QMetaObject::invokeMethod(this, &Form::nextClick, Qt::QueuedConnection);
}

void Form::nextClick() {
    if (m_closing || m_waitingClicks == 0) {
        m_waitingClicks = 0;
        return;
    }
    --m_waitingClicks;
    emit clicked();
    if (m_waitingClicks > 0 && !m_closing)
        QMetaObject::invokeMethod(this, &Form::nextClick, Qt::QueuedConnection);
}

} // namespace form
