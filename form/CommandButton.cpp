#include "form/CommandButton.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>

namespace form {

namespace {

// The classic two-pixel bevel: light outside top-left, dark outside
// bottom-right, and a softer pair inside. A pressed button swaps them.
void drawBevel(QPainter &p, QRect r, bool sunken) {
    const QColor white(255, 255, 255), light(223, 223, 223), shadow(128, 128, 128), dark(0, 0, 0);
    const QColor outerLit = sunken ? dark : white, outerDim = sunken ? white : dark;
    const QColor innerLit = sunken ? shadow : light, innerDim = sunken ? light : shadow;
    // One-pixel strips, not lines: a line straddles its pixel's edge and
    // leaves a sliver of the face outside the bevel on a high-density screen.
    auto frame = [&p](QRect box, const QColor &lit, const QColor &dim) {
        p.fillRect(box.left(), box.top(), box.width() - 1, 1, lit);
        p.fillRect(box.left(), box.top(), 1, box.height() - 1, lit);
        p.fillRect(box.left(), box.bottom(), box.width(), 1, dim);
        p.fillRect(box.right(), box.top(), 1, box.height(), dim);
    };
    frame(r, outerLit, outerDim);
    frame(r.adjusted(1, 1, -1, -1), innerLit, innerDim);
}

// The caption's font, narrowed where a stand-in face would run the caption
// over the button's edges: its height stays that of every other text.
QFont fittingFont(const QFont &font, const QString &caption, int width) {
    const int advance = QFontMetrics(font).horizontalAdvance(caption);
    if (advance <= width || advance <= 0)
        return font;
    QFont narrowed = font;
    for (int stretch = 100 * width / advance; stretch > 50; --stretch) {
        narrowed.setStretch(stretch);
        if (QFontMetrics(narrowed).horizontalAdvance(caption) <= width)
            break;
    }
    return narrowed;
}

// The keyboard's ring runs a pixel inside the bevel, and the caption keeps a
// pixel clear of it on every side.
constexpr int kFocusInset = 3;
constexpr int kCaptionInset = kFocusInset + 2;

} // namespace

CommandButton::CommandButton(QWidget *parent)
    : QPushButton(parent) {
    setAutoDefault(false);
}

void CommandButton::setBackColor(ColorRef color) {
    m_backColor = color;
    update();
}

void CommandButton::paintEvent(QPaintEvent *) {
    QPainter p(this);
    const QRect r = rect();
    const bool sunken = isDown();
    p.fillRect(r, toQColor(m_backColor));
    drawBevel(p, r, sunken);

    const QRect textArea = r.adjusted(2, 2, -2, -2).translated(sunken ? 1 : 0, sunken ? 1 : 0);
    // The caption fits inside the focus ring whether or not it is drawn, so
    // that it never moves when the keyboard arrives.
    p.setFont(fittingFont(font(), text(), r.width() - 2 * kCaptionInset));
    if (isEnabled()) {
        p.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
        p.drawText(textArea, Qt::AlignCenter, text());
    } else {
        // Greyed out: an engraved caption.
        p.setPen(QColor(255, 255, 255));
        p.drawText(textArea.translated(1, 1), Qt::AlignCenter, text());
        p.setPen(QColor(128, 128, 128));
        p.drawText(textArea, Qt::AlignCenter, text());
    }
    if (hasFocus()) {
        // A solid black ring, not a few dots: it stands out from the face and
        // the bevel alike, and leaves the caption room of its own.
        const QRect ring = r.adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
        p.fillRect(ring.left(), ring.top(), ring.width(), 1, Qt::black);
        p.fillRect(ring.left(), ring.bottom(), ring.width(), 1, Qt::black);
        p.fillRect(ring.left(), ring.top(), 1, ring.height(), Qt::black);
        p.fillRect(ring.right(), ring.top(), 1, ring.height(), Qt::black);
    }
}

void CommandButton::keyPressEvent(QKeyEvent *event) {
    // Return presses the focused button as the space bar does, whether or
    // not it is the window's default button.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !event->isAutoRepeat() &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::focusOutEvent(QFocusEvent *event) {
    // Disabling the button sends the keyboard on to the next control; it
    // comes back when the button is enabled again, unless the user has
    // moved it on since.
    m_regainFocus = !isEnabled();
    QPushButton::focusOutEvent(event);
}

void CommandButton::changeEvent(QEvent *event) {
    QPushButton::changeEvent(event);
    if (event->type() != QEvent::EnabledChange)
        return;
    if (!isEnabled()) {
        m_focusHeir = m_regainFocus ? window()->focusWidget() : nullptr;
    } else if (m_regainFocus) {
        m_regainFocus = false;
        QWidget *now = window()->focusWidget();
        if (now == m_focusHeir || now == nullptr)
            setFocus(Qt::OtherFocusReason);
        m_focusHeir = nullptr;
    }
}

} // namespace form
