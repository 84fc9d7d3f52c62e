// Where an object's reference count lives; a holder may forward to another so that two objects share one.
#pragma once

#include <atomic>
#include <utility>

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk {

class RefCountHolder
{
public:
    explicit RefCountHolder(const IRefCountable* owner): m_owner(owner) {}

    RefCountHolder(const RefCountHolder&) = delete;
    RefCountHolder& operator=(const RefCountHolder&) = delete;

    /** From now on the count of the last holder of other's chain counts for this holder's owner too. */
    void forwardTo(RefCountHolder* other) { m_forward = other; }

    /** @return The count after incrementing. */
    int addRef() const { return ++last().m_count; }

    /**
     * Sequentially consistent decrement: exactly one caller sees the count reach zero, and every
     * write made through the object by other holders happens before it.
     * @return The count after decrementing and the owner to delete when it reached zero, else null.
     */
    std::pair<int, const IRefCountable*> releaseRef() const
    {
        const RefCountHolder& holder = last();
        const int newCount = --holder.m_count;
        return {newCount, newCount == 0 ? holder.m_owner : nullptr};
    }

    int refCount() const { return last().m_count.load(); }

private:
    const RefCountHolder& last() const
    {
        const RefCountHolder* holder = this;
        while (holder->m_forward)
            holder = holder->m_forward;
        return *holder;
    }

private:
    mutable std::atomic<int> m_count{1};
    const IRefCountable* const m_owner;
    RefCountHolder* m_forward = nullptr;
};

} // namespace tesh::sdk
