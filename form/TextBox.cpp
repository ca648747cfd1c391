#include "form/TextBox.h"

#include "form/FocusFrame.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>

namespace form {

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent) {
    setReadOnly(true);
    // A caret for the keys, drawn steady in paintEvent: a reveal that moves
    // the focus here leaves nothing blinking.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setCursorWidth(0);
    // Qt updates only a caret of its own width: ours is redrawn wherever it goes.
    connect(this, &QPlainTextEdit::cursorPositionChanged, viewport(),
            qOverload<>(&QWidget::update));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(true);
    document()->setDocumentMargin(2);
}

void TextBox::keyPressEvent(QKeyEvent *event) {
    if (!event->matches(QKeySequence::MoveToEndOfDocument)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // The text's last line break ends its last paragraph: the end is that
    // paragraph's end, not the empty line a break would begin.
    QTextCursor end = textCursor();
    end.movePosition(QTextCursor::End);
    if (end.block().length() == 1 && end.block().previous().isValid())
        end.movePosition(QTextCursor::PreviousBlock, QTextCursor::MoveAnchor);
    end.movePosition(QTextCursor::EndOfBlock);
    setTextCursor(end);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void TextBox::paintEvent(QPaintEvent *event) {
    QPlainTextEdit::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter p(viewport());
    const QRect caret = cursorRect();
    p.fillRect(caret.left(), caret.top(), 1, caret.height(),
               palette().color(QPalette::Active, QPalette::Text));
    // Inside the text area, clear of the lines' first letters.
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
