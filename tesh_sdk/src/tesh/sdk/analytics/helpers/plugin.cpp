// Base of the plug-in root object: answers the host's manifest and engine requests.
#include "plugin.h"

#include <tesh/kit/debug.h>
#include <tesh/sdk/helpers/boundary.h>
#include <tesh/sdk/helpers/error.h>
#include <tesh/sdk/helpers/lib_context.h>
#include <tesh/sdk/helpers/string.h>

namespace tesh::sdk::analytics {

namespace {

using kit::debug::toPointerText;

void print(const std::string& text)
{
    kit::debug::printLine(kit::debug::srcFilePrefix(__FILE__), text);
}

void printError(const std::string& message)
{
    print("ERROR: " + libContext().name() + ": " + message);
}

} // namespace

Plugin::Plugin(): Plugin("", nullptr) {}

Plugin::Plugin(std::string pluginManifest, CreateEngine createEngine):
    m_pluginManifest(std::move(pluginManifest)),
    m_createEngine(std::move(createEngine))
{
    print("Created IPlugin @" + toPointerText(this) + " of " + libContext().name());
}

Plugin::~Plugin()
{
    print("Destroyed IPlugin @" + toPointerText(this) + " of " + libContext().name());
}

void Plugin::setUtilityProvider(IUtilityProvider* utilityProvider)
{
    m_utilityProvider = share(utilityProvider);
}

void Plugin::getManifest(Result<IString*>* outResult) const
{
    runGuardedSlot(print, "getManifest", outResult,
        [&] { outResult->value = new String(m_pluginManifest.empty() ? manifestString() : m_pluginManifest); });
}

void Plugin::obtainEngine(Result<IEngine*>* outResult)
{
    runGuardedSlot(print, "obtainEngine", outResult, [&] {
        if (m_createEngine)
        {
            IEngine* const engine = m_createEngine(this);
            if (!engine)
            {
                const std::string message = "Unable to create Engine";
                printError(message);
                *outResult = {error(ErrorCode::otherError, message), nullptr};
                return;
            }
            *outResult = {Error{}, engine};
            return;
        }

        *outResult = doObtainEngine();
        if (!outResult->error.isOk())
            printError(messageText(outResult->error));
    });
}

Result<IEngine*> Plugin::doObtainEngine()
{
    const std::string message
        = "Either doObtainEngine() should be overridden, or the constructor with "
          "createEngine argument (deprecated) should be called.";
    TESH_KIT_CHECK(print, false, message);
    return {error(ErrorCode::internalError, message), nullptr};
}

std::string Plugin::manifestString() const
{
    TESH_KIT_CHECK(print, false,
        "Either manifestString() should be overridden, or the constructor with pluginManifest argument "
        "(deprecated) should be called.");
    return "";
}

} // namespace tesh::sdk::analytics
