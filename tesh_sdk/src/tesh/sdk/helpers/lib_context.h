// The library's name and ref-countable registry, and the exports through which the host reaches them.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>

#include <tesh/sdk/i_lib_context.h>
#include <tesh/sdk/i_string_map.h>
#include <tesh/sdk/library_export.h>

namespace tesh::sdk {

class LibContext: public ILibContext
{
public:
    static constexpr const char* kDefaultName = "unnamed_lib_context";
    static constexpr const char* kIncorrectName = "incorrectly_named_lib_context";

    LibContext() = default;
    LibContext(const LibContext&) = delete;
    LibContext& operator=(const LibContext&) = delete;

    void setName(const char* name) override;
    void setRefCountableRegistry(IRefCountableRegistry* refCountableRegistry) override;

    /** A copy, so that a concurrent setName cannot change it under the reader. */
    std::string name() const;

    IRefCountableRegistry* refCountableRegistry() const { return m_refCountableRegistry.load(); }

    /** Tells the registry, if one is set, of a new object. @return The registry told, or null. */
    IRefCountableRegistry* notifyCreated(const IRefCountable* object, int refCount) const;

    /** Tells the registry of the object's end, only if it is still the one told of its creation. */
    void notifyDestroyed(IRefCountableRegistry* registryOfCreation, const IRefCountable* object, int refCount) const;

    /** The library's unload step: the registry is deleted through its slot 0 and no longer used. */
    void unload();

private:
    std::string m_name = kDefaultName;
    std::atomic<IRefCountableRegistry*> m_refCountableRegistry{nullptr};
    mutable std::mutex m_mutex;
    /** Held shared while the registry is told of an object, exclusively to delete it: threads still running at
     * process exit may be creating objects while the unload step runs. */
    mutable std::shared_mutex m_registryUse;
};

/** The library's one context; the same object as teshLibContext() returns. */
LibContext& libContext();

/** The options last given to teshSetUnitTestOptions(). */
std::map<std::string, std::string> unitTestOptions();

} // namespace tesh::sdk

TESH_LIBRARY_EXPORT tesh::sdk::ILibContext* teshLibContext();

/** @return "5.1.4 R1". */
TESH_LIBRARY_EXPORT const char* teshSdkVersion();

/** Stores the options for tests run inside the host; nothing in the library reads them. */
TESH_LIBRARY_EXPORT void teshSetUnitTestOptions(const tesh::sdk::IStringMap* options);
