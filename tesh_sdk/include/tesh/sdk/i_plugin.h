// The generic plug-in root that the host receives from createTeshPlugin().
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk {

/** No slots of its own; the analytics plug-in interface adds them. */
class IPlugin: public Interface<IPlugin>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::IPlugin", "tesh::sdk::IIntegration"}; }
};

} // namespace tesh::sdk
