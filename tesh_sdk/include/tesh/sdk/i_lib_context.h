// The per-library context that the host names and gives a registry to, through teshLibContext().
#pragma once

#include <tesh/sdk/i_ref_countable_registry.h>

namespace tesh::sdk {

/** Not ref-counted; lives as long as the library. Slots: 0 destructor, 1 setName, 2 setRefCountableRegistry. */
class ILibContext
{
protected:
    /** Slot 0, declared first because the table follows declaration order; the host never deletes the context. */
    virtual ~ILibContext() = default;

public:
    /** Slot 1: names the library in the log prefixes; a named context keeps its name. */
    virtual void setName(const char* name) = 0;

    /** Slot 2: ownership of the registry passes to the context; only the first registry is taken. */
    virtual void setRefCountableRegistry(IRefCountableRegistry* refCountableRegistry) = 0;
};

} // namespace tesh::sdk
