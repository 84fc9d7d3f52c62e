// The host kit's counting registry, installed once in the library's context for every test of the process.
#pragma once

#include <host_kit/counting_registry.h>

namespace tesh::test {

using host_kit::CountingRegistry;

/**
 * The process's one CountingRegistry, given to the library context on the first call. The context owns
 * it from then on and accepts no other, so every test reaches it through here.
 */
CountingRegistry& installedRegistry();

} // namespace tesh::test
