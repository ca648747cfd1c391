#pragma once

#include "form/ColorRef.h"

#include <QPointer>
#include <QPushButton>

namespace form {

// A command button in the graphical style: a raised bevel around a face of its
// own back colour, drawn flat and exact.
class CommandButton : public QPushButton {
    Q_OBJECT

public:
    explicit CommandButton(QWidget *parent = nullptr);

    void setBackColor(ColorRef color);
    ColorRef backColor() const { return m_backColor; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    ColorRef m_backColor = 0xC0C0C0;
    bool m_regainFocus = false;
    QPointer<QWidget> m_focusHeir;
};

} // namespace form
