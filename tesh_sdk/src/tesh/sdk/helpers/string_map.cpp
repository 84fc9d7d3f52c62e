// A reference-counted map of texts in plain byte order, for settings values and errors.
#include "string_map.h"

#include <iterator>

#include <tesh/kit/debug.h>

namespace tesh::sdk {

namespace {

void print(const std::string& text)
{
    kit::debug::printLine(kit::debug::srcFilePrefix(__FILE__), text);
}

} // namespace

int StringMap::count() const
{
    return static_cast<int>(m_map.size());
}

StringMap::Map::const_iterator StringMap::pairAt(int index) const
{
    if (index < 0 || index >= count())
        return m_map.end();
    return std::next(m_map.begin(), index);
}

const char* StringMap::key(int index) const
{
    const auto pair = pairAt(index);
    return pair == m_map.end() ? nullptr : pair->first.c_str();
}

const char* StringMap::value(const char* key) const
{
    if (!key)
        return nullptr;
    const auto pair = m_map.find(key);
    return pair == m_map.end() ? nullptr : pair->second.c_str();
}

const char* StringMap::value(int index) const
{
    const auto pair = pairAt(index);
    return pair == m_map.end() ? nullptr : pair->second.c_str();
}

void StringMap::setItem(const std::string& key, const std::string& value)
{
    TESH_KIT_CHECK(print, !key.empty(), "");
    m_map[key] = value;
}

} // namespace tesh::sdk
