#pragma once

#include <QtGlobal>

namespace form {

// The platform's random numbers: a 24-bit linear congruential generator that
// starts from the same seed in every run of the program.
class RandomSequence {
public:
    // The next number, uniformly in [0, 1).
    float next();

private:
    quint32 m_state = 327680;
};

} // namespace form
