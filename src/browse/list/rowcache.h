#pragma once

#include <QtGlobal>

#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

namespace pk {

/**
 * @brief Fixed-size chunks of rows kept for a big list, least recently used chunk out first.
 *
 * A chunk is the unit a list loads at a time; its payload carries whatever the loader needs to
 * continue from it (the first and last rows' places in key order). The cache holds at most
 * `capacity` chunks, so memory stays flat however far the user scrolls.
 */
template<typename Chunk>
class RowCache final
{
public:
    RowCache(int chunkSize, int capacity)
        : m_chunkSize(chunkSize)
        , m_capacity(capacity)
    {
        Q_ASSERT(chunkSize > 0 && capacity > 1);
    }

    int chunkSize() const { return m_chunkSize; }
    int capacity() const { return m_capacity; }
    int chunkOf(qint64 row) const { return int(row / m_chunkSize); }
    qint64 firstRowOf(int chunk) const { return qint64(chunk) * m_chunkSize; }

    bool contains(int chunk) const { return m_chunks.count(chunk) != 0; }
    int size() const { return int(m_chunks.size()); }

    /// The chunk, marked as most recently used; nullptr when not held.
    const Chunk *get(int chunk)
    {
        const auto it = m_chunks.find(chunk);
        if (it == m_chunks.end())
            return nullptr;
        m_lru.splice(m_lru.begin(), m_lru, it->second.lru);
        return &it->second.payload;
    }

    /// The chunk without touching its age (for neighbour lookups).
    const Chunk *peek(int chunk) const
    {
        const auto it = m_chunks.find(chunk);
        return it == m_chunks.end() ? nullptr : &it->second.payload;
    }

    /// Stores a chunk, dropping the least recently used one when full.
    void put(int chunk, Chunk payload)
    {
        const auto it = m_chunks.find(chunk);
        if (it != m_chunks.end()) {
            it->second.payload = std::move(payload);
            m_lru.splice(m_lru.begin(), m_lru, it->second.lru);
            return;
        }
        if (int(m_chunks.size()) >= m_capacity) {
            m_chunks.erase(m_lru.back());
            m_lru.pop_back();
        }
        m_lru.push_front(chunk);
        m_chunks.emplace(chunk, Entry{std::move(payload), m_lru.begin()});
    }

    /// The nearest held chunk to `chunk` (either side), -1 when empty.
    int nearest(int chunk) const
    {
        int best = -1;
        for (const auto &[index, entry] : m_chunks) {
            Q_UNUSED(entry)
            if (best < 0 || std::abs(index - chunk) < std::abs(best - chunk))
                best = index;
        }
        return best;
    }

    void clear()
    {
        m_chunks.clear();
        m_lru.clear();
    }

private:
    struct Entry
    {
        Chunk payload;
        std::list<int>::iterator lru;
    };

    int m_chunkSize;
    int m_capacity;
    std::unordered_map<int, Entry> m_chunks;
    std::list<int> m_lru;
};

} // namespace pk
