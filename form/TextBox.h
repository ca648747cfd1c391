#pragma once

#include <QPlainTextEdit>

namespace form {

// A multi-line text box with a vertical scroll bar. It shows a description,
// so it can be read, scrolled and copied from, but not typed into.
class TextBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TextBox(QWidget *parent = nullptr);
};

} // namespace form
