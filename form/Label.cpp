#include "form/Label.h"

namespace form {

Label::Label(QWidget *parent)
    : QLabel(parent) {
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

void Label::setBackColor(ColorRef color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(color));
    setPalette(p);
}

} // namespace form
