#pragma once

#include <QVariant>
#include <functional>
#include <list>
#include <optional>
#include <unordered_map>
#include <vector>

namespace db {

// The ordered keys of a result and a bounded least-recently-used cache of its row values,
// fetched in windows of WindowRows rows by key. One placeholder row, without a key, may
// stand for a row being inserted; no key value is reserved for it, so every key another
// program may store is an ordinary row.
class RowCache {
public:
    using Rows = std::unordered_map<qint64, QVariantList>;
    // Reads the stored values of the rows with these keys (gone rows are left out).
    using Fetch = std::function<Rows(const std::vector<qint64> &)>;

    static constexpr int WindowRows = 128;

    RowCache(std::vector<qint64> keys, int columnCount, int cacheRows, Fetch fetch);

    int count() const { return int(m_keys.size()) + (m_placeholder >= 0 ? 1 : 0); }
    bool isPlaceholder(int index) const { return index == m_placeholder; }
    // The key of a row; none for the placeholder.
    std::optional<qint64> key(int index) const;
    // The position of a key (-1: not in the result).
    int indexOfKey(qint64 key) const;
    // The values of a row as last read (the placeholder: all null). Valid until the next
    // call. Throws when the window cannot be read; the cache stays as it was then.
    const QVariantList &row(int index);
    // Replaces the cached values of a row, where its window is cached.
    void keep(int index, const QVariantList &values);

    void insertPlaceholder(int index);
    // The row at index (the placeholder, or a row stored again as a new row) now has this key.
    void setKey(int index, qint64 key);
    void removeAt(int index);
    const std::vector<qint64> &keys() const { return m_keys; }

    // Following other programs' writes (never while a placeholder stands):
    // every cached value is dropped and read again when next asked for;
    void forget() { invalidate(); }
    // the result now holds these keys, in key order;
    void replaceKeys(std::vector<qint64> keys);
    // these keys are in the result now, and these are not (either may be known already).
    void updateKeys(const std::vector<qint64> &present, const std::vector<qint64> &gone);

private:
    using Window = std::vector<QVariantList>;
    // Position in m_keys of the row at index (not the placeholder).
    size_t keyPosition(int index) const;
    Window &window(int windowIndex);
    void invalidate();

    std::vector<qint64> m_keys;
    bool m_keysSorted = true;
    int m_placeholder = -1;
    int m_cacheRows;
    Fetch m_fetch;
    std::unordered_map<int, std::pair<Window, std::list<int>::iterator>> m_windows;
    std::list<int> m_lru; // most recently used window first
    QVariantList m_emptyRow;
};

} // namespace db
