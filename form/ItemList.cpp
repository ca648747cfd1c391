#include "form/ItemList.h"

namespace form {

QString ItemList::list(int index) const {
    return index >= 0 && index < m_items.size() ? m_items.at(index) : QString();
}

} // namespace form
