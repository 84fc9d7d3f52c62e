// The host kit's counting registry, installed once in the library's context for every test of the process.
#include "counting_registry.h"

#include <cstdio>
#include <cstdlib>

#include <tesh/sdk/helpers/lib_context.h>

namespace tesh::test {

namespace {

CountingRegistry* install()
{
    sdk::LibContext& context = sdk::libContext();
    auto* const registry = new CountingRegistry();
    context.setRefCountableRegistry(registry);
    if (context.refCountableRegistry() == registry)
        return registry;

    // Refused, so still ours; a registry that is not a CountingRegistry makes every count meaningless.
    delete registry;
    auto* const existing = dynamic_cast<CountingRegistry*>(context.refCountableRegistry());
    if (!existing)
    {
        std::fprintf(stderr, "installedRegistry(): the library context already has a foreign registry\n");
        std::abort();
    }
    return existing;
}

} // namespace

CountingRegistry& installedRegistry()
{
    static CountingRegistry* const registry = install();
    return *registry;
}

} // namespace tesh::test
