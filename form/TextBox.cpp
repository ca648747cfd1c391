#include "form/TextBox.h"

#include "form/FocusFrame.h"

#include <QPainter>

namespace form {

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent) {
    setReadOnly(true);
    // No text cursor: the arrow keys scroll the text, and a reveal that moves
    // the focus here leaves nothing blinking.
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    document()->setDocumentMargin(2);
}

void TextBox::paintEvent(QPaintEvent *event) {
    QPlainTextEdit::paintEvent(event);
    if (!hasFocus())
        return;
    // Inside the text area, clear of the lines' first letters.
    QPainter p(viewport());
    drawFocusFrame(p, viewport()->rect().adjusted(0, 0, -1, -1));
}

void TextBox::focusInEvent(QFocusEvent *event) {
    QPlainTextEdit::focusInEvent(event);
    viewport()->update();
}

void TextBox::focusOutEvent(QFocusEvent *event) {
    QPlainTextEdit::focusOutEvent(event);
    viewport()->update();
}

} // namespace form
