// Taking a host string map into a plain map, with the log lines of the engine and agent bases.
#pragma once

#include <map>
#include <string>

#include <tesh/sdk/i_string_map.h>

namespace tesh::sdk {

/**
 * Merges source into target (keys the source lacks keep their values) and, when enableOutput is on,
 * logs the pairs. A null source, a negative count or a pair with a null text is an unusable map:
 * logged as an error whatever enableOutput, nothing merged.
 * @return Whether the map could be taken.
 */
bool fromStringMap(bool enableOutput,
    const std::string& printPrefix,
    std::map<std::string, std::string>* target,
    const IStringMap* source,
    const std::string& caption,
    int indent);

} // namespace tesh::sdk
