// The host's (or a test's) observer of every ref-countable object the library creates and destroys.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk {

/** Not ref-counted. Slots: 0 destructor, 1 notifyCreated, 2 notifyDestroyed. */
class IRefCountableRegistry
{
public:
    /** Slot 0: the library context deletes the registry it owns at unload. */
    virtual ~IRefCountableRegistry() = default;

    /** Slot 1. */
    virtual void notifyCreated(const IRefCountable* object, int refCount) = 0;

    /** Slot 2. */
    virtual void notifyDestroyed(const IRefCountable* object, int refCount) = 0;
};

} // namespace tesh::sdk
