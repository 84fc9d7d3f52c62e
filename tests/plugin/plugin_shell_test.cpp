// The plug-in as the host first meets it: the entry point, the plug-in and engine manifests, which cameras the
// engine accepts, and the agents it makes.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <host_double/device_info.h>
#include <host_double/interface_queries.h>
#include <host_double/leak_check.h>
#include <host_double/ref_count_of.h>
#include <host_double/stderr_capture.h>
#include <host_double/taken_error.h>
#include <plugin/device_agent_manifest.h>
#include <tesh/kit/thread_pool.h>
#include <tesh/sdk/analytics/i_engine.h>
#include <tesh/sdk/analytics/i_plugin.h>
#include <tesh/sdk/helpers/ptr.h>

extern "C" tesh::sdk::IPlugin* createTeshPlugin();

namespace tesh::test {
namespace {

using sdk::adopt;
using sdk::Ptr;
using sdk::Result;
using sdk::analytics::IDeviceAgent;
using sdk::analytics::IEngine;
using sdk::analytics::IPlugin;
using Json = nlohmann::ordered_json;

// The host compares this text byte for byte with what the plug-in's package declares.
constexpr char kPluginManifest[] = R"({
    "id": "tesh.qv",
    "name": "QV AI Camera Plugin",
    "description": "A plugin to support in-camera analytics for Quorvane IP cameras.",
    "version": "1.0.2",
    "vendor": "Quorvane"
}
)";

template<class Object>
std::string manifestOf(const Object& object)
{
    Result<sdk::IString*> result;
    object->getManifest(&result);
    EXPECT_EQ(takeError(&result.error), kSuccess);
    const auto text = adopt(result.value);
    return text ? text->str() : "";
}

Ptr<IPlugin> createPlugin()
{
    return sdk::queryInterface<IPlugin>(adopt(createTeshPlugin()));
}

Ptr<IEngine> obtainEngine(const Ptr<IPlugin>& plugin)
{
    Result<IEngine*> result;
    plugin->obtainEngine(&result);
    EXPECT_EQ(takeError(&result.error), kSuccess);
    return adopt(result.value);
}

Ptr<DeviceInfo> device(const char* vendor, const char* model)
{
    auto info = adopt(new DeviceInfo());
    info->setVendor(vendor);
    info->setModel(model);
    info->setUrl("http://127.0.0.80/");
    return info;
}

class PluginShell: public NoLeakTest
{};

TEST_F(PluginShell, entryPointMakesAnIndependentPluginWithOneReferenceEachCall)
{
    sdk::IPlugin* const first = createTeshPlugin();
    sdk::IPlugin* const second = createTeshPlugin();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first, second);
    EXPECT_EQ(refCountOf(first), 1);
    EXPECT_EQ(refCountOf(second), 1);
    expectInterfaceQueries({
        {first, "plug-in", "tesh::sdk::analytics::IPlugin", true},
        {first, "plug-in", "tesh::sdk::analytics::IIntegration", true},
        {first, "plug-in", "tesh::sdk::IPlugin", true},
        {first, "plug-in", "tesh::sdk::IIntegration", true},
        {first, "plug-in", "tesh::sdk::IRefCountable", true},
        {first, "plug-in", "tesh::sdk::analytics::IEngine", false},
    });
    EXPECT_EQ(first->releaseRef(), 0);
    EXPECT_EQ(second->releaseRef(), 0);
}

TEST_F(PluginShell, pluginManifestIsTheSameTextByteForByteOnEveryRequest)
{
    const auto plugin = createPlugin();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(manifestOf(plugin), kPluginManifest);
    EXPECT_EQ(manifestOf(plugin), kPluginManifest);
}

TEST_F(PluginShell, everyEngineRequestMakesANewEngineThatOutlivesThePlugin)
{
    auto plugin = createPlugin();
    const auto first = obtainEngine(plugin);
    const auto second = obtainEngine(plugin);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    plugin.reset();
    EXPECT_FALSE(manifestOf(first).empty()) << "the engine keeps no pointer to the plug-in";
}

TEST_F(PluginShell, engineManifestAsksForTheMetadataStreamAndCarriesTheSettingsModel)
{
    const auto engine = obtainEngine(createPlugin());
    const std::string text = manifestOf(engine);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.front(), '{');
    const Json manifest = Json::parse(text, nullptr, false);
    ASSERT_TRUE(manifest.is_object());
    std::vector<std::string> members;
    for (const auto& member: manifest.items())
        members.push_back(member.key());
    EXPECT_EQ(members, (std::vector<std::string>{"streamTypeFilter", "preferredStream", "deviceAgentSettingsModel"}));
    EXPECT_EQ(manifest["streamTypeFilter"], "metadata");
    EXPECT_EQ(manifest["preferredStream"], "secondary");
    EXPECT_EQ(manifest["deviceAgentSettingsModel"]["type"], "Settings");
    EXPECT_EQ(manifestOf(engine), text);
}

struct CompatibilityRow
{
    const char* vendor; //< Null: the host gave no text.
    const char* model;
    bool compatible;
    const char* reason;
};

TEST_F(PluginShell, engineAcceptsOurMakersRmtlCamerasWhateverTheCase)
{
    const auto engine = obtainEngine(createPlugin());
    const std::vector<CompatibilityRow> rows = {
        {"QV", "RMTL-123", true, "case is ignored on both"},
        {"Quorvane", "xyz", false, "the vendor passes, the model does not"},
        {"Other", "RMTL", false, "the vendor fails, the model is not examined"},
        {"myqvbrand", "abc-rmtl", true, "plain substrings, anywhere"},
        {"QUORVANE Inc.", "camera RmTl 5200", true, "the long vendor name"},
        {"Quor vane", "RMTL", false, "no word matching: the substring must be whole"},
        {"", "RMTL", false, "empty vendor"},
        {"q", "RMTL", false, "a vendor of one character"},
        {"QV", "", false, "empty model"},
        {"QV", "RMT L", false, "the model substring must be whole"},
        {"\xC9QV\xFF", "\xD0RMTL", true, "bytes above 0x7F are left alone, the rest still matches"},
        {nullptr, "RMTL", false, "a null vendor counts as empty"},
        {"QV", nullptr, false, "a null model counts as empty"},
    };
    for (const CompatibilityRow& row: rows)
        EXPECT_EQ(engine->isCompatible(device(row.vendor, row.model).get()), row.compatible) << row.reason;
    EXPECT_FALSE(engine->isCompatible(nullptr)) << "no description at all";
}

TEST_F(PluginShell, engineMakesANewAgentPerCameraThatTheHostOwns)
{
    const auto engine = obtainEngine(createPlugin());
    const auto camera = device("Quorvane", "RMTL-5200");
    std::vector<Ptr<IDeviceAgent>> agents;
    for (int i = 0; i < 2; ++i)
    {
        Result<IDeviceAgent*> result;
        engine->obtainDeviceAgent(&result, camera.get());
        EXPECT_EQ(takeError(&result.error), kSuccess);
        ASSERT_NE(result.value, nullptr);
        EXPECT_EQ(refCountOf(result.value), 1);
        agents.push_back(adopt(result.value));
    }
    EXPECT_NE(agents[0].get(), agents[1].get());
    EXPECT_EQ(manifestOf(agents[0]), vms_server_plugins::analytics::qv::deviceAgentManifest());
    EXPECT_EQ(refCountOf(engine.get()), 1) << "the engine keeps no reference to itself in its agents";
}

/** The operating system refuses every thread, as when it has none left. */
kit::PlatformThread refuseEveryStart(std::function<void()> /*loop*/, std::size_t /*stackBytes*/)
{
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "no thread");
}

TEST_F(PluginShell, agentWhosePoolCannotStartIsAnInternalErrorWithOneErrorLine)
{
    const auto engine = obtainEngine(createPlugin());
    kit::setWorkerStartForTests(refuseEveryStart);
    StderrCapture capture;
    Result<IDeviceAgent*> result;
    engine->obtainDeviceAgent(&result, device("Quorvane", "RMTL-5200").get());
    kit::setWorkerStartForTests(nullptr);
    EXPECT_EQ(takeError(&result.error),
        ErrorSeen(sdk::ErrorCode::internalError, "obtainDeviceAgent() failed inside the plug-in"));
    EXPECT_EQ(result.value, nullptr);
    const auto lines = capture.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                  [](const std::string& line) { return line.find("ERROR") != std::string::npos; }),
        1);
    EXPECT_NE(capture.text().find("ERROR: obtainDeviceAgent(): caught exception: no thread"), std::string::npos);
}

} // namespace
} // namespace tesh::test
