// A host that loads, uses and unloads the built library many times in one process, as a server that reloads its
// plug-ins does: each cycle must leave nothing of the library behind in the heap.
#include <dlfcn.h>
#include <malloc.h>

#include <cstddef>
#include <string>

#include <gtest/gtest.h>

#include <host_kit/counting_registry.h>
#include <host_kit/custom_metadata_packet.h>
#include <host_kit/device_info.h>
#include <host_kit/host_object.h>
#include <tesh/sdk/analytics/i_consuming_device_agent.h>
#include <tesh/sdk/analytics/i_plugin.h>
#include <tesh/sdk/i_lib_context.h>

#ifndef QV_PLUGIN_LIBRARY
#    error "QV_PLUGIN_LIBRARY must name the built shared library"
#endif

namespace {

using namespace tesh::sdk;
using namespace tesh::sdk::analytics;

constexpr char kDocument[] = R"(<tt:MetaDataStream xmlns:tt="http://www.onvif.org/ver10/schema"
    xmlns:wsnt="http://docs.oasis-open.org/wsn/b-2"><tt:VideoAnalytics><tt:Frame><tt:Transformation>
    <tt:Scale x="0.000520833" y="0.000925926"/></tt:Transformation><tt:Object ObjectId="1"><tt:Appearance>
    <tt:Shape><tt:BoundingBox left="10" top="10" right="50" bottom="90"/></tt:Shape><tt:Class><tt:Type>Person</tt:Type>
    </tt:Class></tt:Appearance></tt:Object></tt:Frame></tt:VideoAnalytics><tt:Event><wsnt:NotificationMessage>
    <wsnt:Topic>tns1:RuleEngine/CountAggregation/Counter</wsnt:Topic></wsnt:NotificationMessage></tt:Event>
    </tt:MetaDataStream>)";

class Handler: public host_kit::HostObject<IDeviceAgentHandler>
{
public:
    void handleMetadata(IMetadataPacket* /*metadataPacket*/) override {}
};

template<class Target>
Target* queried(const IRefCountable* object)
{
    return static_cast<Target*>(object->queryInterface(Target::interfaceId().id));
}

/** Load, name, count, obtain an agent, push one document, release everything, unload; or only load and unload. */
void runCycle(bool use)
{
    void* const library = dlopen(QV_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    if (!use)
    {
        EXPECT_EQ(dlclose(library), 0) << dlerror();
        return;
    }
    const auto libContext = reinterpret_cast<ILibContext* (*)()>(dlsym(library, "teshLibContext"));
    const auto createPlugin = reinterpret_cast<tesh::sdk::IPlugin* (*)()>(dlsym(library, "createTeshPlugin"));
    ASSERT_TRUE(libContext && createPlugin);
    libContext()->setName("qv_analytics_plugin");
    auto* const registry = new host_kit::CountingRegistry(); //< The library deletes it at its unload.
    libContext()->setRefCountableRegistry(registry);

    tesh::sdk::IPlugin* const root = createPlugin();
    auto* const plugin = queried<analytics::IPlugin>(root);
    Result<IEngine*> engine;
    plugin->obtainEngine(&engine);
    auto* const info = new host_kit::DeviceInfo();
    info->setId("camera-1");
    info->setUrl("http://127.0.0.1/");
    Result<IDeviceAgent*> agent;
    engine.value->obtainDeviceAgent(&agent, info);
    auto* const handler = new Handler();
    agent.value->setHandler(handler);
    auto* const consuming = queried<IConsumingDeviceAgent>(agent.value);
    auto* const packet
        = new host_kit::CustomMetadataPacket(1, host_kit::CustomMetadataPacket::kDefaultCodec, kDocument);
    Result<void> pushed;
    consuming->doPushDataPacket(&pushed, packet);
    EXPECT_TRUE(pushed.error.isOk());

    const IRefCountable* const libraryObjects[] = {consuming, agent.value, engine.value, plugin, root};
    for (const IRefCountable* object: libraryObjects)
        object->releaseRef();
    EXPECT_EQ(registry->liveCount(), 0) << "every object of the library was destroyed before the unload";
    const IRefCountable* const hostObjects[] = {packet, handler, info};
    for (const IRefCountable* object: hostObjects)
        object->releaseRef();
    EXPECT_EQ(dlclose(library), 0) << dlerror();
}

std::size_t heapInUse()
{
    return mallinfo2().uordblks;
}

/** How much more of the heap is in use after the cycles than before. */
long long heapGrowth(int cycles, bool use)
{
    const std::size_t before = heapInUse();
    for (int i = 0; i < cycles; ++i)
        runCycle(use);
    return static_cast<long long>(heapInUse()) - static_cast<long long>(before);
}

TEST(LoadCycles, usingTheLibraryKeepsNothingAfterItsUnload)
{
    constexpr int kCycles = 200;
    heapGrowth(5, true); //< The process's own first-use allocations (locale, stream buffers, dynamic loader).
    // The dynamic loader and the libraries ours depends on keep a little of each load themselves, used or not.
    const long long loadingAlone = heapGrowth(kCycles, false);
    const long long used = heapGrowth(kCycles, true);
    std::printf(
        "heap growth over %d cycles: %lld bytes loading alone, %lld loading and using\n", kCycles, loadingAlone, used);
    EXPECT_LE(used, loadingAlone + 2048) << "a byte kept per cycle would be 200";
}

} // namespace
