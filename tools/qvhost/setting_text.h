// A JSON value in the text form the host keeps every setting in.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace qvhost {

using OrderedJson = nlohmann::ordered_json;

/** Texts as they are, switches "true"/"false", numbers in decimal, objects as JSON text, null as the empty text. */
inline std::string settingText(const OrderedJson& value)
{
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_null())
        return {};
    return value.dump();
}

} // namespace qvhost
