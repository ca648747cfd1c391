#pragma once

#include "form/RuntimeError.h"

#include <QtGlobal>

#include <vector>

namespace form {

// A group of like controls addressed by index, as `Picture1(2)` or `List2(68)`.
// The controls are owned elsewhere (by their parent widget); an index without
// a control is a run-time error.
template <typename Control> class ControlArray {
public:
    void add(int index, Control *control) {
        if (index >= int(m_controls.size()))
            m_controls.resize(std::size_t(index) + 1, nullptr);
        m_controls[std::size_t(index)] = control;
    }

    Control &operator()(int index) const {
        if (index < 0 || index >= int(m_controls.size()) || !m_controls[std::size_t(index)])
            throw RuntimeError::subscriptOutOfRange();
        return *m_controls[std::size_t(index)];
    }

    int count() const { return int(m_controls.size()); }

private:
    std::vector<Control *> m_controls;
};

} // namespace form
