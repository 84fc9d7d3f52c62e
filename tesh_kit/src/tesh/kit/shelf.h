// Objects put back after use, lent again the most recently put back first.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "immortal.h"

namespace tesh::kit {

/**
 * Keeps up to a fixed number of objects that are costly to make or cold in cache when new, such as large buffers,
 * for the next user. The most recently put back is lent first: it is the one most likely still in cache.
 * Thread-safe.
 */
template<class T>
class Shelf
{
public:
    explicit Shelf(std::size_t maxCount): m_maxCount(maxCount) {}

    /** The object most recently put back, or null when none is. */
    std::unique_ptr<T> take()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_items.empty())
            return nullptr;
        std::unique_ptr<T> item = std::move(m_items.back());
        m_items.pop_back();
        return item;
    }

    /** Keeps the object, or frees it (outside the lock) when the shelf is full. */
    void put(std::unique_ptr<T> item)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_items.size() < m_maxCount)
            {
                try
                {
                    m_items.push_back(std::move(item));
                    return;
                }
                catch (...)
                {
                    // Freed instead of kept.
                }
            }
        }
        item.reset();
    }

    /** Empties the shelf, for a caller that frees what was on it. */
    std::vector<std::unique_ptr<T>> takeAll()
    {
        std::vector<std::unique_ptr<T>> items;
        const std::lock_guard<std::mutex> lock(m_mutex);
        items.swap(m_items);
        return items;
    }

private:
    const std::size_t m_maxCount;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<T>> m_items; //< The most recently put back last.
};

/**
 * The library's one shelf of T: never destroyed, so that a pass still running while a host returns from main finds
 * it, while what is on it is freed when the library is unloaded (or the process ends). The first call sets its size.
 */
template<class T>
Shelf<T>& libraryShelf(std::size_t maxCount)
{
    struct Emptier
    {
        Shelf<T>& shelf;
        ~Emptier() { shelf.takeAll(); }
    };
    static Immortal<Shelf<T>> theShelf(maxCount);
    static Emptier emptier{theShelf.get()};
    return theShelf.get();
}

} // namespace tesh::kit
