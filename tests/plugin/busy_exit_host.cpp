// A host that ends its process while the plug-in is busy: when main returns, a thread is still pushing documents
// to agents the host never released. The process must still exit with status 0.
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <host_double/counting_registry.h>
#include <host_double/custom_metadata_packet.h>
#include <host_double/device_agent_handler.h>
#include <host_double/device_info.h>
#include <tesh/sdk/analytics/i_consuming_device_agent.h>
#include <tesh/sdk/analytics/i_engine.h>
#include <tesh/sdk/analytics/i_plugin.h>
#include <tesh/sdk/helpers/ptr.h>

#include "one_person_document.h"

extern "C" tesh::sdk::IPlugin* createTeshPlugin();

namespace {

using namespace tesh;
using sdk::analytics::IConsumingDeviceAgent;
using sdk::analytics::IDeviceAgent;

constexpr int kAgents = 3;

/** Agents the host holds until the process ends; never freed, as a server that simply exits never frees them. */
std::vector<IConsumingDeviceAgent*>* obtainAgents()
{
    const auto plugin = sdk::queryInterface<sdk::analytics::IPlugin>(sdk::adopt(createTeshPlugin()));
    sdk::Result<sdk::analytics::IEngine*> engineResult;
    plugin->obtainEngine(&engineResult);
    const auto engine = sdk::adopt(engineResult.value);
    auto* const agents = new std::vector<IConsumingDeviceAgent*>();
    auto* const handler = new test::DeviceAgentHandler();
    for (int i = 0; i < kAgents; ++i)
    {
        const auto info = sdk::makePtr<test::DeviceInfo>();
        info->setUrl("http://127.0.0.111/");
        sdk::Result<IDeviceAgent*> result;
        engine->obtainDeviceAgent(&result, info.get());
        result.value->setHandler(handler);
        agents->push_back(sdk::queryInterface<IConsumingDeviceAgent>(result.value).releasePtr());
    }
    return agents;
}

void pushForEver(const std::vector<IConsumingDeviceAgent*>* agents)
{
    for (int64_t i = 0;; ++i)
    {
        const auto packet = sdk::makePtr<test::CustomMetadataPacket>(
            i, test::CustomMetadataPacket::kDefaultCodec, test::kOnePersonDocument);
        sdk::Result<void> result;
        (*agents)[static_cast<size_t>(i % kAgents)]->doPushDataPacket(&result, packet.get());
    }
}

} // namespace

/** Argument: how many milliseconds main lets the thread push before it returns. */
int main(int argc, char** argv)
{
    const int runMs = argc > 1 ? std::atoi(argv[1]) : 10;
    test::installedRegistry(); //< As a host that counts objects: the library deletes it at exit.
    const std::vector<IConsumingDeviceAgent*>* const agents = obtainAgents();
    std::thread(pushForEver, agents).detach();
    std::this_thread::sleep_for(std::chrono::milliseconds(runMs));
    return 0;
}
