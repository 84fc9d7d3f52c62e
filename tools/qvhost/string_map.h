// Settings as the server hands them over: names to texts.
#pragma once

#include <map>
#include <string>

#include <tesh/sdk/i_string_map.h>

#include "host_object.h"

namespace qvhost {

class StringMap: public HostObject<tesh::sdk::IStringMap>
{
public:
    explicit StringMap(std::map<std::string, std::string> pairs): m_pairs(std::move(pairs)) {}

    int count() const override { return static_cast<int>(m_pairs.size()); }
    const char* key(int index) const override { return at(index) ? at(index)->first.c_str() : nullptr; }
    const char* value(int index) const override { return at(index) ? at(index)->second.c_str() : nullptr; }

    const char* value(const char* key) const override
    {
        const auto found = key ? m_pairs.find(key) : m_pairs.end();
        return found == m_pairs.end() ? nullptr : found->second.c_str();
    }

private:
    const std::pair<const std::string, std::string>* at(int index) const
    {
        if (index < 0 || index >= count())
            return nullptr;
        return &*std::next(m_pairs.begin(), index);
    }

    const std::map<std::string, std::string> m_pairs;
};

} // namespace qvhost
