// A reference-counted map of texts in plain byte order, for settings values and errors.
#pragma once

#include <map>
#include <string>

#include <tesh/sdk/helpers/ref_countable.h>
#include <tesh/sdk/i_string_map.h>

namespace tesh::sdk {

class StringMap: public RefCountable<IStringMap>
{
public:
    StringMap() = default;

    int count() const override;
    const char* key(int index) const override;
    const char* value(const char* key) const override;
    const char* value(int index) const override;

    /** Inserts the pair or replaces the value of an existing key; an empty key is reported but kept. */
    void setItem(const std::string& key, const std::string& value);

protected:
    ~StringMap() override = default;

private:
    using Map = std::map<std::string, std::string>;
    Map::const_iterator pairAt(int index) const;

private:
    Map m_map;
};

} // namespace tesh::sdk
