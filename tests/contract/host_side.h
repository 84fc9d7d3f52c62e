// The host's own objects, written against the host view only: reference counting with a call log,
// a string map, and a registry that watches the library's objects come and go. They repeat the host
// kit on purpose: written without the SDK headers, they check the binary contract from a declaration
// of their own, so that a mistake in our headers cannot hide itself by being compiled on both sides.
#pragma once

#include <atomic>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host_view.h"

namespace host_side {

/** Host objects alive in this process, to see that the library lets go of everything it was lent. */
inline std::atomic<int>& liveHostObjects()
{
    static std::atomic<int> count{0};
    return count;
}

/**
 * Counts references like any object of the contract (born with 1, deleted at 0) and answers the ids
 * given at construction and the root id. Records which of its slots the library called, by name.
 */
template<class Interface>
class HostObject: public Interface
{
public:
    explicit HostObject(std::vector<std::string> ids): m_ids(std::move(ids)) { ++liveHostObjects(); }

    HostObject(const HostObject&) = delete;
    HostObject& operator=(const HostObject&) = delete;

    host_view::IRefCountable* queryInterface(const char* id) const override
    {
        if (id == nullptr)
            return nullptr;
        const std::string wanted = id;
        bool known = wanted == "tesh::sdk::IRefCountable";
        for (const std::string& ownId: m_ids)
            known = known || wanted == ownId;
        if (!known)
            return nullptr;
        addRef();
        return const_cast<HostObject*>(this);
    }

    int addRef() const override { return ++m_refCount; }

    int releaseRef() const override
    {
        const int newCount = --m_refCount;
        if (newCount == 0)
            delete this;
        return newCount;
    }

    int refCount() const { return m_refCount.load(); }

    int calls(const std::string& slot) const
    {
        const std::lock_guard<std::mutex> lock(m_callsMutex);
        const auto found = m_calls.find(slot);
        return found == m_calls.end() ? 0 : found->second;
    }

protected:
    ~HostObject() override { --liveHostObjects(); }

    void note(const std::string& slot) const
    {
        const std::lock_guard<std::mutex> lock(m_callsMutex);
        ++m_calls[slot];
    }

private:
    const std::vector<std::string> m_ids;
    mutable std::atomic<int> m_refCount{1};
    mutable std::mutex m_callsMutex;
    mutable std::map<std::string, int> m_calls;
};

/** The host's settings and parameter maps: pairs in key order. */
class HostStringMap: public HostObject<host_view::IStringMap>
{
public:
    explicit HostStringMap(std::map<std::string, std::string> pairs):
        HostObject({"tesh::sdk::IStringMap"}),
        m_pairs(std::move(pairs))
    {}

    int count() const override
    {
        note("count");
        return static_cast<int>(m_pairs.size());
    }

    const char* key(int index) const override
    {
        note("key");
        const auto pair = pairAt(index);
        return pair == m_pairs.end() ? nullptr : pair->first.c_str();
    }

    const char* value(const char* key) const override
    {
        note("value(key)");
        if (key == nullptr)
            return nullptr;
        const auto pair = m_pairs.find(key);
        return pair == m_pairs.end() ? nullptr : pair->second.c_str();
    }

    const char* value(int index) const override
    {
        note("value(index)");
        const auto pair = pairAt(index);
        return pair == m_pairs.end() ? nullptr : pair->second.c_str();
    }

private:
    std::map<std::string, std::string>::const_iterator pairAt(int index) const
    {
        if (index < 0 || index >= static_cast<int>(m_pairs.size()))
            return m_pairs.end();
        return std::next(m_pairs.begin(), index);
    }

private:
    const std::map<std::string, std::string> m_pairs;
};

/**
 * Keeps the set of library objects alive. Also counts notifications whose arguments do not fit the
 * contract (a creation with a count other than 1, a destruction of an object it never saw born), so
 * that swapped or misplaced arguments do not pass unnoticed.
 */
class CountingRegistry: public host_view::IRefCountableRegistry
{
public:
    explicit CountingRegistry(std::atomic<int>* destructions = nullptr): m_destructions(destructions) {}

    ~CountingRegistry() override
    {
        if (m_destructions)
            ++*m_destructions;
    }

    void notifyCreated(const host_view::IRefCountable* object, int refCount) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_created;
        if (refCount != 1 || !m_live.insert(object).second)
            ++m_misfits;
    }

    void notifyDestroyed(const host_view::IRefCountable* object, int refCount) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_destroyed;
        if (refCount != 0 || m_live.erase(object) != 1)
            ++m_misfits;
    }

    int liveCount() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return static_cast<int>(m_live.size());
    }

    int created() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_created;
    }

    int destroyed() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_destroyed;
    }

    int misfits() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_misfits;
    }

private:
    std::atomic<int>* const m_destructions;
    mutable std::mutex m_mutex;
    std::set<const host_view::IRefCountable*> m_live;
    int m_created = 0;
    int m_destroyed = 0;
    int m_misfits = 0;
};

} // namespace host_side
