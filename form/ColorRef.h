#pragma once

#include <QColor>

namespace form {

// Colours are held as the platform holds them: 0x00BBGGRR.
using ColorRef = quint32;

QColor toQColor(ColorRef color);

} // namespace form
