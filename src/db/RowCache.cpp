#include "db/RowCache.h"

#include <algorithm>

namespace db {

RowCache::RowCache(std::vector<qint64> keys, int columnCount, int cacheRows, Fetch fetch)
    : m_keys(std::move(keys)), m_cacheRows(cacheRows), m_fetch(std::move(fetch)),
      m_emptyRow(columnCount) {
    m_keysSorted = std::is_sorted(m_keys.begin(), m_keys.end());
}

size_t RowCache::keyPosition(int index) const {
    return size_t(m_placeholder >= 0 && index > m_placeholder ? index - 1 : index);
}

std::optional<qint64> RowCache::key(int index) const {
    if (isPlaceholder(index))
        return std::nullopt;
    return m_keys.at(keyPosition(index));
}

int RowCache::indexOfKey(qint64 key) const {
    auto found = m_keys.end();
    if (m_keysSorted) {
        found = std::lower_bound(m_keys.begin(), m_keys.end(), key);
        if (found != m_keys.end() && *found != key)
            found = m_keys.end();
    } else {
        found = std::find(m_keys.begin(), m_keys.end(), key);
    }
    if (found == m_keys.end())
        return -1;
    const int position = int(found - m_keys.begin());
    return m_placeholder >= 0 && position >= m_placeholder ? position + 1 : position;
}

void RowCache::invalidate() {
    m_windows.clear();
    m_lru.clear();
}

const QVariantList &RowCache::row(int index) {
    if (isPlaceholder(index))
        return m_emptyRow;
    return window(index / WindowRows).at(size_t(index % WindowRows));
}

RowCache::Window &RowCache::window(int windowIndex) {
    auto found = m_windows.find(windowIndex);
    if (found != m_windows.end()) {
        m_lru.splice(m_lru.begin(), m_lru, found->second.second);
        return found->second.first;
    }
    const int first = windowIndex * WindowRows;
    const int rowCount = std::min(WindowRows, count() - first);
    std::vector<qint64> keys;
    for (int i = first; i < first + rowCount; ++i)
        if (const std::optional<qint64> k = key(i))
            keys.push_back(*k);
    Rows byKey = m_fetch(keys);
    Window rows(size_t(rowCount), m_emptyRow);
    for (int i = 0; i < rowCount; ++i)
        if (const std::optional<qint64> k = key(first + i))
            if (auto it = byKey.find(*k); it != byKey.end())
                rows[size_t(i)] = std::move(it->second);
    const int maxWindows = std::max(2, m_cacheRows / WindowRows);
    while (int(m_windows.size()) >= maxWindows) {
        m_windows.erase(m_lru.back());
        m_lru.pop_back();
    }
    m_lru.push_front(windowIndex);
    auto inserted = m_windows.emplace(windowIndex, std::make_pair(std::move(rows), m_lru.begin()));
    return inserted.first->second.first;
}

void RowCache::keep(int index, const QVariantList &values) {
    auto found = m_windows.find(index / WindowRows);
    if (found != m_windows.end())
        found->second.first.at(size_t(index % WindowRows)) = values;
}

void RowCache::insertPlaceholder(int index) {
    m_placeholder = index;
    invalidate();
}

void RowCache::setKey(int index, qint64 key) {
    const size_t position = keyPosition(index);
    if (isPlaceholder(index)) {
        m_keys.insert(m_keys.begin() + qsizetype(position), key);
        m_placeholder = -1;
    } else {
        m_keys[position] = key;
    }
    // A new key usually lands out of order; the neighbours tell (the rest was sorted).
    m_keysSorted = m_keysSorted && (position == 0 || m_keys[position - 1] < key) &&
                   (position + 1 == m_keys.size() || key < m_keys[position + 1]);
    invalidate();
}

void RowCache::removeAt(int index) {
    if (isPlaceholder(index))
        m_placeholder = -1;
    else
        m_keys.erase(m_keys.begin() + qsizetype(keyPosition(index)));
    invalidate();
}

void RowCache::replaceKeys(std::vector<qint64> keys) {
    m_keys = std::move(keys);
    m_keysSorted = std::is_sorted(m_keys.begin(), m_keys.end());
    invalidate();
}

void RowCache::updateKeys(const std::vector<qint64> &present, const std::vector<qint64> &gone) {
    if (!m_keysSorted) {
        // Rows this editor inserted stand where they were made: back into key order first.
        std::sort(m_keys.begin(), m_keys.end());
        m_keysSorted = true;
    }
    for (qint64 key : gone)
        if (auto at = std::lower_bound(m_keys.begin(), m_keys.end(), key);
            at != m_keys.end() && *at == key)
            m_keys.erase(at);
    for (qint64 key : present)
        if (auto at = std::lower_bound(m_keys.begin(), m_keys.end(), key);
            at == m_keys.end() || *at != key)
            m_keys.insert(at, key);
    invalidate();
}

} // namespace db
