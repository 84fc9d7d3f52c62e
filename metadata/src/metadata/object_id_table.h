// A table of values by camera object id, held in one array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include <tesh/kit/platform.h>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Open addressing with linear probing: each object of each document is looked up, and with many cameras the nodes and
 * buckets of a standard hash map were seldom in the cache, while a few neighbouring slots of one array are. Grows by
 * doubling; a removal that filters the whole table also shrinks it to what is left, so a burst of ids does not stay
 * resident. Not thread-safe.
 */
template<class Value>
class ObjectIdTable
{
public:
    Value* find(int32_t id)
    {
        const std::size_t index = indexOf(id);
        return index == kAbsent ? nullptr : &m_slots[index].value;
    }

    const Value* find(int32_t id) const
    {
        const std::size_t index = indexOf(id);
        return index == kAbsent ? nullptr : &m_slots[index].value;
    }

    /** @return The entry of id, made from value if there was none, and whether it was made. */
    std::pair<Value*, bool> tryEmplace(int32_t id, const Value& value)
    {
        if (Value* found = find(id))
            return {found, false};
        if ((m_count + 1) * 2 > m_slots.size())
            rebuild(capacityFor(m_count + 1));
        Slot& slot = m_slots[freeSlotFor(id)];
        slot = {id, true, value};
        ++m_count;
        return {&slot.value, true};
    }

    void erase(int32_t id)
    {
        std::size_t hole = indexOf(id);
        if (hole == kAbsent)
            return;
        // Later slots of the same run move back into the hole, so that every entry stays reachable from its home.
        for (std::size_t next = advance(hole); m_slots[next].used; next = advance(next))
        {
            if (distance(homeOf(m_slots[next].id), next) >= distance(hole, next))
            {
                m_slots[hole] = std::move(m_slots[next]);
                hole = next;
            }
        }
        m_slots[hole].used = false;
        --m_count;
    }

    /** Removes every entry for which remove(value) holds, and fits the table to what is left. */
    template<class Predicate>
    void eraseIf(Predicate remove)
    {
        for (Slot& slot: m_slots)
        {
            if (slot.used && remove(slot.value))
            {
                slot.used = false;
                --m_count;
            }
        }
        if (m_count == 0)
            m_slots.clear();
        else
            rebuild(capacityFor(m_count));
    }

    template<class Predicate>
    std::size_t countIf(Predicate counts) const
    {
        std::size_t count = 0;
        for (const Slot& slot: m_slots)
            count += slot.used && counts(slot.value) ? 1U : 0U;
        return count;
    }

    template<class Visit>
    void forEach(Visit visit) const
    {
        for (const Slot& slot: m_slots)
        {
            if (slot.used)
                visit(slot.id, slot.value);
        }
    }

    std::size_t size() const { return m_count; }

    /** Where a lookup of id begins, brought into the cache ahead of the lookup. */
    void prefetch(int32_t id) const
    {
        if (!m_slots.empty())
            kit::platform::prefetch(&m_slots[homeOf(id)]);
    }

private:
    struct Slot
    {
        int32_t id = 0;
        bool used = false;
        Value value{};
    };

    static constexpr std::size_t kAbsent = SIZE_MAX;
    static constexpr std::size_t kMinCapacity = 16;

    /** A power of two at least twice the count: runs stay short. */
    static std::size_t capacityFor(std::size_t count)
    {
        std::size_t capacity = kMinCapacity;
        while (capacity < count * 2)
            capacity *= 2;
        return capacity;
    }

    /** The top bits of the id times 2^32 over the golden ratio: ids in any regular pattern spread evenly. */
    std::size_t homeOf(int32_t id) const
    {
        return static_cast<std::size_t>((static_cast<uint32_t>(id) * 0x9E3779B9U) >> m_shift);
    }

    std::size_t advance(std::size_t index) const { return (index + 1) & (m_slots.size() - 1); }

    std::size_t distance(std::size_t from, std::size_t to) const { return (to - from) & (m_slots.size() - 1); }

    std::size_t indexOf(int32_t id) const
    {
        if (m_slots.empty())
            return kAbsent;
        for (std::size_t index = homeOf(id); m_slots[index].used; index = advance(index))
        {
            if (m_slots[index].id == id)
                return index;
        }
        return kAbsent;
    }

    /** The table is never full: its capacity is at least twice its count. */
    std::size_t freeSlotFor(int32_t id) const
    {
        std::size_t index = homeOf(id);
        while (m_slots[index].used)
            index = advance(index);
        return index;
    }

    void resize(std::size_t capacity)
    {
        m_slots.resize(capacity);
        m_shift = 32;
        for (std::size_t size = capacity; size > 1; size /= 2)
            --m_shift;
    }

    void rebuild(std::size_t capacity)
    {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.clear();
        resize(capacity);
        for (Slot& slot: old)
        {
            if (slot.used)
                m_slots[freeSlotFor(slot.id)] = std::move(slot);
        }
    }

    std::vector<Slot> m_slots; //< Empty, or a power of two in size.
    int m_shift = 32; //< 32 less the bits of an index.
    std::size_t m_count = 0;
};

} // namespace tesh::vms_server_plugins::analytics::qv
