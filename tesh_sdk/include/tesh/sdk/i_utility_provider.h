// The host's service object handed to the plug-in; this plug-in only keeps a reference to it.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk {

class IUtilityProvider: public Interface<IUtilityProvider>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::IUtilityProvider"}; }
};

} // namespace tesh::sdk
