#include "form/TextBox.h"

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

} // namespace form
