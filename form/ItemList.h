#pragma once

#include <QStringList>

#include <functional>

namespace form {

// An invisible list box: only its items, never shown and never focused.
class ItemList {
public:
    void addItem(const QString &text);
    void clear();

    // Items that are fetched the first time anyone reads the list, so that a
    // form with many such lists opens without building them all.
    void setItemSource(std::function<QStringList()> source);

    // Entry i; an index past the end reads as an empty text.
    QString list(int index) const;
    int listCount() const;

private:
    void fetch() const;

    mutable QStringList m_items;
    mutable std::function<QStringList()> m_source;
};

} // namespace form
