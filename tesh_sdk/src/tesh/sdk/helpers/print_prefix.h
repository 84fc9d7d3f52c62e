// The log prefix of engines and device agents: library name, optional override, kind and host id.
#pragma once

#include <string>

namespace tesh::sdk {

/**
 * "[" + library name + ("_" + overridingPrefix) + kind + ("_" + id) + "] "; each optional part only
 * where it is not empty (the id part: where the host's description object is known, hasId).
 */
std::string makePrintPrefix(const std::string& overridingPrefix, const char* kind, bool hasId, const char* id);

} // namespace tesh::sdk
