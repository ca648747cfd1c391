#include "form/ColorRef.h"

namespace form {

QColor toQColor(ColorRef color) {
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

} // namespace form
