#pragma once

#include <QStringList>

namespace form {

// An invisible list box: only its items, never shown and never focused.
class ItemList {
public:
    void addItem(const QString &text) { m_items.append(text); }
    void clear() { m_items.clear(); }

    // Entry i; an index past the end reads as an empty text.
    QString list(int index) const;
    int listCount() const { return int(m_items.size()); }

private:
    QStringList m_items;
};

} // namespace form
