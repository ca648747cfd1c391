#include "form/ItemList.h"

namespace form {

void ItemList::addItem(const QString &text) {
    fetch();
    m_items.append(text);
}

void ItemList::clear() {
    m_source = nullptr;
    m_items.clear();
}

void ItemList::setItemSource(std::function<QStringList()> source) {
    m_items.clear();
    m_source = std::move(source);
}

QString ItemList::list(int index) const {
    fetch();
    return index >= 0 && index < m_items.size() ? m_items.at(index) : QString();
}

int ItemList::listCount() const {
    fetch();
    return int(m_items.size());
}

void ItemList::fetch() const {
    if (!m_source)
        return;
    m_items = m_source();
    m_source = nullptr;
}

} // namespace form
