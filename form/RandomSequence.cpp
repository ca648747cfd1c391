#include "form/RandomSequence.h"

namespace form {

float RandomSequence::next() {
    constexpr quint32 multiplier = 1140671485;
    constexpr quint32 increment = 12820163;
    constexpr quint32 modulusMask = (1u << 24) - 1;
    m_state = (m_state * multiplier + increment) & modulusMask; // unsigned, so wraps by design
    return float(m_state) / float(1u << 24);
}

} // namespace form
