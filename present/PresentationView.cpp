#include "present/PresentationView.h"

#include "form/Announcer.h"
#include "present/SlideCache.h"
#include "reveal/RevealRun.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace present {

namespace {

constexpr int kStillPointerMs = 2000;

// The keys, as `?` and F1 show them.
QString keysHelp() {
    return QStringLiteral("Напред: →, ↓, интервал, Enter, Page Down, щракване\n"
                          "Назад: ←, ↑, Backspace, Page Up\n"
                          "Първи и последен слайд: Home, End\n"
                          "Към слайд: номерът му и Enter\n"
                          "Черен екран: B или .    Бял екран: W или ,\n"
                          "Край: Esc    Тази помощ: ? или F1");
}

} // namespace

PresentationView::PresentationView(SlideCache &slides, const ShowOptions &options, QWidget *parent)
    : QWidget(parent)
    , m_slides(slides)
    , m_options(options)
    , m_announcer(new form::Announcer(this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAccessibleName(QStringLiteral("Презентация"));
    m_frameTimer.setSingleShot(true);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &PresentationView::tick);
    m_pointerTimer.setSingleShot(true);
    connect(&m_pointerTimer, &QTimer::timeout, this, [this] { setCursor(Qt::BlankCursor); });
    connect(&m_slides, &SlideCache::ready, this, &PresentationView::slideReady);
}

void PresentationView::begin(int index) {
    showPointer();
    go(index, false);
}

void PresentationView::next() {
    if (m_transition) {
        finishTransition();
        return;
    }
    // A press while the slide asked for is still being made moves on from it:
    // no press is lost.
    const int from = m_pending ? *m_pending : m_current;
    if (from >= m_slides.count())
        return;
    go(from + 1, !m_pending || m_pendingAnimated);
}

void PresentationView::previous() {
    finishTransition();
    go(std::max(0, (m_pending ? *m_pending : m_current) - 1), false);
}

void PresentationView::go(int index, bool animated) {
    index = std::clamp(index, 0, m_slides.count());
    finishTransition();
    if (index == m_current) {
        m_pending.reset();
        return;
    }
    // A transition is timed from the press, even when its slide comes late.
    m_pressed.start();
    m_slides.keepAround(index);
    if (index < m_slides.count() && m_slides.screen(index).isNull()) {
        // Shown the moment it is made; the slide on screen stays until then.
        m_pending = index;
        m_pendingAnimated = animated;
        return;
    }
    m_pending.reset();
    arrive(index, animated);
}

void PresentationView::slideReady(int index) {
    if (m_pending != index)
        return;
    m_pending.reset();
    arrive(index, m_pendingAnimated);
}

void PresentationView::arrive(int index, bool animated) {
    // The end screen is black.
    const QImage target = index < m_slides.count() ? m_slides.screen(index) : QImage();
    m_current = index;
    if (animated && !target.isNull() && !m_shown.isNull() && !m_options.effects.isEmpty()) {
        const int effect = m_options.effects.at(m_effectTurn++ % m_options.effects.size());
        m_incoming = target;
        m_transition.emplace(effect, m_options.durationSeconds);
        m_tilesShown = 0;
        m_clock = m_pressed;
        tick();
    } else {
        m_shown = target;
        update();
    }
    if (index < m_slides.count())
        m_announcer->announce(
            QStringLiteral("слайд %1 от %2").arg(index + 1).arg(m_slides.count()));
    else
        m_announcer->announce(QStringLiteral("край на презентацията"));
    emit slideChanged(index);
}

void PresentationView::tick() {
    if (!m_transition)
        return;
    const qint64 elapsed = m_clock.nsecsElapsed();
    const int due = m_transition->dueBy(elapsed);
    QRegion changed;
    for (int step = m_tilesShown; step < due; ++step)
        changed += toLogical(tileDeviceRect(step));
    m_tilesShown = due;
    if (!changed.isEmpty())
        update(changed);
    if (due >= m_transition->stepCount()) {
        // Every tile shows the new slide: it is now simply the slide shown.
        m_shown = m_incoming;
        m_incoming = QImage();
        m_transition.reset();
        return;
    }
    // Woken when the next tile is due, never before: it appears on the first
    // frame after its time, and a late frame only delays that one frame.
    const qint64 waitNs = m_transition->dueNs(due) - elapsed;
    m_frameTimer.start(int((waitNs + 999999) / 1000000));
}

void PresentationView::finishTransition() {
    if (!m_transition)
        return;
    m_frameTimer.stop();
    m_shown = m_incoming;
    m_incoming = QImage();
    m_transition.reset();
    update();
}

QRect PresentationView::tileDeviceRect(int step) const {
    const QImage &screen = m_incoming.isNull() ? m_shown : m_incoming;
    return reveal::RevealRun::frameCell(m_transition->cell(step), screen.size());
}

QRect PresentationView::toLogical(const QRect &device) const {
    const qreal ratio = devicePixelRatioF();
    return QRectF(device.x() / ratio, device.y() / ratio, device.width() / ratio,
                  device.height() / ratio)
        .toAlignedRect();
}

void PresentationView::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    if (m_blank != Blank::None) {
        p.fillRect(rect(), m_blank == Blank::Black ? Qt::black : Qt::white);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const auto logical = [ratio](const QRect &r) {
        return QRectF(r.x() / ratio, r.y() / ratio, r.width() / ratio, r.height() / ratio);
    };
    if (m_shown.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawImage(logical(m_shown.rect()), m_shown, QRectF(m_shown.rect()));
    if (m_transition) {
        for (int step = 0; step < m_tilesShown; ++step) {
            const QRect tile = tileDeviceRect(step);
            if (event->region().intersects(toLogical(tile)))
                p.drawImage(logical(tile), m_incoming, QRectF(tile));
        }
    }
    if (m_help) {
        QFont font = p.font();
        font.setPixelSize(std::max(12, height() / 30));
        p.setFont(font);
        const QString text = keysHelp();
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString &line : text.split(u'\n'))
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const QSize inner(widest, metrics.lineSpacing() * int(text.count(u'\n') + 1));
        const QSize outer = inner + QSize(2, 2) * font.pixelSize();
        const QRect box(rect().center() - QPoint(outer.width() / 2, outer.height() / 2), outer);
        p.fillRect(box, QColor(0, 0, 0, 220));
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, text);
    }
}

void PresentationView::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9 && m_typed.size() < 6) {
        m_typed += QChar(u'0' + (key - Qt::Key_0));
        return;
    }
    const QString typed = std::exchange(m_typed, QString());
    // Moving on from a black or white screen shows the slides again.
    static const QList<int> kMoves = {Qt::Key_Return,    Qt::Key_Enter, Qt::Key_PageDown,
                                      Qt::Key_Right,     Qt::Key_Down,  Qt::Key_Space,
                                      Qt::Key_PageUp,    Qt::Key_Left,  Qt::Key_Up,
                                      Qt::Key_Backspace, Qt::Key_Home,  Qt::Key_End};
    const bool moving = kMoves.contains(key);
    if (moving && m_blank != Blank::None) {
        m_blank = Blank::None;
        update();
    }
    const auto toggle = [this](Blank blank) {
        m_blank = m_blank == blank ? Blank::None : blank;
        update();
    };
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!typed.isEmpty()) {
            go(std::clamp(typed.toInt(), 1, m_slides.count()) - 1, false);
            break;
        }
        next();
        break;
    case Qt::Key_PageDown:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Space:
        next();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Backspace:
        previous();
        break;
    case Qt::Key_Home:
        go(0, false);
        break;
    case Qt::Key_End:
        go(m_slides.count() - 1, false);
        break;
    case Qt::Key_B:
    case Qt::Key_Period:
        toggle(Blank::Black);
        break;
    case Qt::Key_W:
    case Qt::Key_Comma:
        toggle(Blank::White);
        break;
    case Qt::Key_Question:
    case Qt::Key_F1:
        m_help = !m_help;
        update();
        break;
    case Qt::Key_Escape:
        emit leaving();
        break;
    default:
        // F5 and any other key: nothing happens.
        break;
    }
}

void PresentationView::mousePressEvent(QMouseEvent *event) {
    showPointer();
    if (event->button() == Qt::LeftButton)
        next();
    else if (event->button() == Qt::RightButton)
        previous();
}

void PresentationView::mouseMoveEvent(QMouseEvent *) {
    showPointer();
}

void PresentationView::showPointer() {
    unsetCursor();
    m_pointerTimer.start(kStillPointerMs);
}

} // namespace present
