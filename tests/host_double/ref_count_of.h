// Reading the count of an object known only through its interface.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::test {

/** Probes with an addRef/releaseRef pair, so the object must be alive and held by someone else too. */
inline int refCountOf(const sdk::IRefCountable* object)
{
    const int raised = object->addRef();
    object->releaseRef();
    return raised - 1;
}

} // namespace tesh::test
