#pragma once

#include <QPlainTextEdit>

namespace form {

// A multi-line text box with a vertical scroll bar. It shows a description,
// so it can be read, scrolled and copied from, but not typed into. With the
// keyboard on it, a dotted frame runs round the text, and a caret that does
// not blink moves through it line by line, so that a screen reader reads each
// line it reaches; Ctrl+Home and Ctrl+End go to the text's ends.
class TextBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TextBox(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

} // namespace form
