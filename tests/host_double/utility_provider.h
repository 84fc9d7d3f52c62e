// The host's service object: the plug-in only holds a reference to it.
#pragma once

#include <host_double/host_object.h>
#include <tesh/sdk/i_utility_provider.h>

namespace tesh::test {

class UtilityProvider: public HostObject<sdk::IUtilityProvider>
{};

} // namespace tesh::test
