#pragma once

#include "form/RuntimeError.h"

#include <QtGlobal>

#include <cmath>
#include <concepts>
#include <limits>
#include <utility>

// Range-checked integer arithmetic: a value that does not fit its type is an
// overflow error, never a wrap-around.
namespace form {

template <std::integral To, std::integral From> To checkedCast(From value) {
    if (!std::in_range<To>(value))
        throw RuntimeError::overflow();
    return static_cast<To>(value);
}

// Converting a fraction rounds to the nearest whole number, halves to even.
template <std::integral To> To checkedCast(double value) {
    const double rounded = std::nearbyint(value); // the default rounding mode is to-even
    if (!(rounded >= double(std::numeric_limits<To>::min()) &&
          rounded <= double(std::numeric_limits<To>::max())))
        throw RuntimeError::overflow();
    return static_cast<To>(rounded);
}

inline quint8 toByte(auto value) {
    return checkedCast<quint8>(value);
}
inline qint16 toInteger(auto value) {
    return checkedCast<qint16>(value);
}
inline qint32 toLong(auto value) {
    return checkedCast<qint32>(value);
}

// Sums are formed wide and then checked against the type of the result.
template <std::integral T> T checkedAdd(T a, T b) {
    return checkedCast<T>(qint64(a) + qint64(b));
}

template <std::integral T> T checkedMul(T a, T b) {
    return checkedCast<T>(qint64(a) * qint64(b));
}

} // namespace form
