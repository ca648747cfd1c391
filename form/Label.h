#pragma once

#include "form/ColorRef.h"

#include <QLabel>

namespace form {

// A caption on an opaque back colour, centred across its width and set at the
// top, as the platform draws labels. Labels lie beneath the windowed controls.
class Label : public QLabel {
    Q_OBJECT

public:
    explicit Label(QWidget *parent = nullptr);

    void setBackColor(ColorRef color);
};

} // namespace form
