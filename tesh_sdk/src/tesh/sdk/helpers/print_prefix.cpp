// The log prefix of engines and device agents: library name, optional override, kind and host id.
#include "print_prefix.h"

#include <tesh/sdk/helpers/lib_context.h>

namespace tesh::sdk {

std::string makePrintPrefix(const std::string& overridingPrefix, const char* kind, bool hasId, const char* id)
{
    std::string prefix = "[" + libContext().name();
    if (!overridingPrefix.empty())
        prefix += "_" + overridingPrefix;
    prefix += kind;
    if (hasId)
        prefix += std::string("_") + (id ? id : "");
    return prefix + "] ";
}

} // namespace tesh::sdk
