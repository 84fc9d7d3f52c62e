// The library's name and ref-countable registry, and the exports through which the host reaches them.
#include "lib_context.h"

#include <map>

#include <tesh/kit/debug.h>
#include <tesh/kit/immortal.h>
#include <tesh/sdk/helpers/boundary.h>
#include <tesh/sdk/helpers/ref_countable.h>
#include <tesh/sdk/i_string_map.h>

namespace tesh::sdk {

namespace {

constexpr const char* kSdkVersion = "5.1.4 R1";

void print(const std::string& text)
{
    kit::debug::printLine("[tesh::sdk::LibContext] ", text);
}

/**
 * Built on first use and never destroyed: objects released at exit may still reach it. Its storage goes with the
 * library's image; the unload step frees what it holds.
 */
LibContext& theLibContext();

struct UnitTestOptions
{
    std::mutex mutex;
    std::map<std::string, std::string> options;
};

UnitTestOptions& unitTestOptionsTable()
{
    static kit::Immortal<UnitTestOptions> table;
    return table.get();
}

/** Its destructor is the library's unload step. */
struct Unloader
{
    ~Unloader()
    {
        theLibContext().unload();
        {
            UnitTestOptions& table = unitTestOptionsTable();
            const std::lock_guard<std::mutex> lock(table.mutex);
            table.options.clear();
        }
        kit::debug::releasePrefixCache();
    }
};

LibContext& theLibContext()
{
    static kit::Immortal<LibContext> context;
    // Constructed after the context is, so destroyed before anything that outlives the context.
    static Unloader unloader;
    return context.get();
}

} // namespace

void LibContext::setName(const char* name)
{
    runGuarded(print, "setName", [&] {
        const std::lock_guard<std::mutex> lock(m_mutex);
        // A null name is compared as an empty text: std::string(nullptr) is undefined.
        const std::string newName = name ? name : "";
        if (!TESH_KIT_CHECK_AS(print, m_name == kDefaultName || (name != nullptr && m_name == newName),
                "m_name == kDefaultName || m_name == std::string(name)",
                "Attempt to change LibContext name from " + kit::debug::toLiteral(m_name) + " to "
                    + kit::debug::toLiteral(name) + "."))
        {
            return;
        }
        if (TESH_KIT_CHECK(print, name, ""))
            TESH_KIT_CHECK(print, name[0] != '\0', "");
        m_name = newName.empty() ? kIncorrectName : newName;
    });
}

void LibContext::setRefCountableRegistry(IRefCountableRegistry* refCountableRegistry)
{
    runGuarded(print, "setRefCountableRegistry", [&] {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!TESH_KIT_CHECK(print, !m_refCountableRegistry, "LibContext refCountableRegistry has already been set."))
            return;
        m_refCountableRegistry.store(refCountableRegistry);
    });
}

std::string LibContext::name() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_name;
}

IRefCountableRegistry* LibContext::notifyCreated(const IRefCountable* object, int refCount) const
{
    if (!m_refCountableRegistry.load())
        return nullptr; //< Without a registry there is nothing to guard: no lock on the path of every object.
    const std::shared_lock<std::shared_mutex> lock(m_registryUse);
    IRefCountableRegistry* const registry = m_refCountableRegistry.load();
    if (registry)
        registry->notifyCreated(object, refCount);
    return registry;
}

void LibContext::notifyDestroyed(
    IRefCountableRegistry* registryOfCreation, const IRefCountable* object, int refCount) const
{
    // An object born before the registry was set was never counted by it.
    if (!registryOfCreation)
        return;
    const std::shared_lock<std::shared_mutex> lock(m_registryUse);
    if (registryOfCreation == m_refCountableRegistry.load())
        registryOfCreation->notifyDestroyed(object, refCount);
}

void LibContext::unload()
{
    IRefCountableRegistry* registry = nullptr;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const std::unique_lock<std::shared_mutex> useLock(m_registryUse);
        registry = m_refCountableRegistry.exchange(nullptr);
        std::string().swap(m_name); //< Its memory too: the context itself outlives the unload.
    }
    delete registry;
}

LibContext& libContext()
{
    return theLibContext();
}

std::map<std::string, std::string> unitTestOptions()
{
    auto& table = unitTestOptionsTable();
    const std::lock_guard<std::mutex> lock(table.mutex);
    return table.options;
}

namespace detail {

IRefCountableRegistry* notifyCreated(const IRefCountable* object, int refCount)
{
    return libContext().notifyCreated(object, refCount);
}

void notifyDestroyed(IRefCountableRegistry* registryOfCreation, const IRefCountable* object, int refCount)
{
    libContext().notifyDestroyed(registryOfCreation, object, refCount);
}

} // namespace detail

} // namespace tesh::sdk

tesh::sdk::ILibContext* teshLibContext()
{
    tesh::sdk::ILibContext* context = nullptr;
    tesh::sdk::runGuarded(tesh::sdk::print, "teshLibContext", [&] { context = &tesh::sdk::libContext(); });
    return context;
}

const char* teshSdkVersion()
{
    return tesh::sdk::kSdkVersion;
}

void teshSetUnitTestOptions(const tesh::sdk::IStringMap* options)
{
    if (!options)
        return;
    tesh::sdk::runGuarded(tesh::sdk::print, "teshSetUnitTestOptions", [options] {
        std::map<std::string, std::string> newOptions;
        for (int i = 0; i < options->count(); ++i)
        {
            const char* const key = options->key(i);
            const char* const value = options->value(i);
            if (key && value)
                newOptions[key] = value;
        }
        auto& table = tesh::sdk::unitTestOptionsTable();
        const std::lock_guard<std::mutex> lock(table.mutex);
        table.options.swap(newOptions);
    });
}
