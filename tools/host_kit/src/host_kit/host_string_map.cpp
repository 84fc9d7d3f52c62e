// A string map built by the host: settings values, action parameters, unit-test options.
#include "host_string_map.h"

#include <cstring>

namespace host_kit {

namespace {

bool sameKey(const NullableText& stored, const char* key)
{
    return !stored.isNull() && std::strcmp(stored.get(), key) == 0;
}

} // namespace

HostStringMap::HostStringMap(std::initializer_list<Pair> pairs)
{
    for (const Pair& pair: pairs)
        set(pair.first, pair.second);
}

HostStringMap::HostStringMap(const std::map<std::string, std::string>& pairs)
{
    for (const auto& [key, value]: pairs)
        set(key, value);
}

int HostStringMap::count() const
{
    return m_reportedCount ? *m_reportedCount : static_cast<int>(m_pairs.size());
}

const char* HostStringMap::key(int index) const
{
    const Pair* const pair = pairAt(index);
    return pair ? pair->first.get() : nullptr;
}

const char* HostStringMap::value(const char* key) const
{
    if (!key)
        return nullptr;
    for (const Pair& pair: m_pairs)
    {
        if (sameKey(pair.first, key))
            return pair.second.get();
    }
    return nullptr;
}

const char* HostStringMap::value(int index) const
{
    const Pair* const pair = pairAt(index);
    return pair ? pair->second.get() : nullptr;
}

void HostStringMap::set(NullableText key, NullableText value)
{
    if (!key.isNull())
    {
        for (Pair& pair: m_pairs)
        {
            if (sameKey(pair.first, key.get()))
            {
                pair.second = std::move(value);
                return;
            }
        }
    }
    m_pairs.emplace_back(std::move(key), std::move(value));
}

const HostStringMap::Pair* HostStringMap::pairAt(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_pairs.size()))
        return nullptr;
    return &m_pairs[static_cast<size_t>(index)];
}

} // namespace host_kit
