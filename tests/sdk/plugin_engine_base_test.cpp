// The plug-in and engine bases as the host drives them: through their interface slots only.
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/action.h>
#include <host_double/assertion_report.h>
#include <host_double/engine_handler.h>
#include <host_double/engine_info.h>
#include <host_double/host_string_map.h>
#include <host_double/leak_check.h>
#include <host_double/object_track_info.h>
#include <host_double/ref_count_of.h>
#include <host_double/stderr_capture.h>
#include <host_double/taken_error.h>
#include <host_double/utility_provider.h>
#include <host_double/uuid_for_test.h>
#include <tesh/sdk/analytics/helpers/engine.h>
#include <tesh/sdk/analytics/helpers/plugin.h>
#include <tesh/sdk/helpers/error.h>
#include <tesh/sdk/helpers/lib_context.h>
#include <tesh/sdk/helpers/settings_response.h>
#include <tesh/sdk/helpers/string.h>

namespace tesh::test {
namespace {

using sdk::adopt;
using sdk::ErrorCode;
using sdk::makePtr;
using sdk::Ptr;
using sdk::Result;
using sdk::Uuid;
using sdk::analytics::ActionResult;
using sdk::analytics::IEngine;
using sdk::analytics::IObjectTrackInfo;
using Settings = std::map<std::string, std::string>;

const std::string kPluginPrefix = "[plugin] ";

std::string libName()
{
    return sdk::libContext().name();
}

std::string printfPointer(const void* pointer)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%p", pointer);
    return text;
}

/** The text of a returned string, whose reference is released here; "<null>" for none. */
std::string takeText(const sdk::IString* text)
{
    if (!text)
        return "<null>";
    const std::string result = text->str();
    text->releaseRef();
    return result;
}

// ------------------------------------------------------------------------------------------------
// Plug-ins.

/** Relies on the base for everything. */
class BarePlugin: public sdk::analytics::Plugin
{};

class OverridingPlugin: public sdk::analytics::Plugin
{
public:
    using ObtainEngine = std::function<Result<IEngine*>()>;

    OverridingPlugin(std::string manifest, ObtainEngine obtainEngine):
        m_manifest(std::move(manifest)),
        m_obtainEngine(std::move(obtainEngine))
    {}

    Result<IEngine*> doObtainEngine() override { return m_obtainEngine(); }
    std::string manifestString() const override { return m_manifest; }

private:
    const std::string m_manifest;
    const ObtainEngine m_obtainEngine;
};

/** The older form: a manifest text and an engine factory handed to the constructor. */
class FactoryPlugin: public sdk::analytics::Plugin
{
public:
    FactoryPlugin(std::string manifest, CreateEngine createEngine): Plugin(std::move(manifest), std::move(createEngine))
    {}

    /** Must lose against the constructor's manifest. */
    std::string manifestString() const override { return "{\"from\": \"manifestString\"}"; }
};

// ------------------------------------------------------------------------------------------------
// Engines.

/** Overrides only what the base leaves abstract. */
class MinimalEngine: public sdk::analytics::Engine
{
public:
    static constexpr const char* kManifest = "{\"engine\": \"minimal\"}";

    explicit MinimalEngine(bool enableOutput, std::string overridingPrefix = ""):
        Engine(enableOutput, std::move(overridingPrefix))
    {}

    using Engine::printPrefix;
    using Engine::settings;

    std::string manifestString() const override { return kManifest; }

    void obtainDeviceAgent(
        Result<sdk::analytics::IDeviceAgent*>* /*outResult*/, const sdk::IDeviceInfo* /*deviceInfo*/) override
    {}
};

struct ExecutedAction
{
    std::string actionId;
    Uuid objectTrackId;
    Uuid deviceId;
    int64_t timestampUs = 0;
    const IObjectTrackInfo* objectTrackInfo = nullptr; //< Only compared, never dereferenced.
    Settings params;
};

/** Records what reaches settingsReceived() and executeAction(), and answers with chosen results. */
class RecordingEngine: public MinimalEngine
{
public:
    using SettingsAnswer = std::function<Result<sdk::ISettingsResponse*>()>;
    using ActionAnswer = std::function<Result<ActionResult>()>;

    explicit RecordingEngine(bool enableOutput): MinimalEngine(enableOutput) {}

    Result<sdk::ISettingsResponse*> settingsReceived() override
    {
        m_settingsSeenBySettingsReceived.push_back(settings());
        return m_settingsAnswer ? m_settingsAnswer() : Engine::settingsReceived();
    }

    Result<ActionResult> executeAction(const std::string& actionId,
        Uuid objectTrackId,
        Uuid deviceId,
        int64_t timestampUs,
        Ptr<IObjectTrackInfo> objectTrackInfo,
        const Settings& params) override
    {
        m_executedActions.push_back({actionId, objectTrackId, deviceId, timestampUs, objectTrackInfo.get(), params});
        return m_actionAnswer
            ? m_actionAnswer()
            : Engine::executeAction(actionId, objectTrackId, deviceId, timestampUs, std::move(objectTrackInfo), params);
    }

    void setSettingsAnswer(SettingsAnswer answer) { m_settingsAnswer = std::move(answer); }
    void setActionAnswer(ActionAnswer answer) { m_actionAnswer = std::move(answer); }

    const std::vector<Settings>& settingsSeenBySettingsReceived() const { return m_settingsSeenBySettingsReceived; }
    const std::vector<ExecutedAction>& executedActions() const { return m_executedActions; }

private:
    SettingsAnswer m_settingsAnswer;
    ActionAnswer m_actionAnswer;
    std::vector<Settings> m_settingsSeenBySettingsReceived;
    std::vector<ExecutedAction> m_executedActions;
};

std::string enginePrefix(const std::string& overridingPrefix = "", const std::string& engineId = "<none>")
{
    return "[" + libName() + (overridingPrefix.empty() ? "" : "_" + overridingPrefix) + "_engine"
        + (engineId == "<none>" ? "" : "_" + engineId) + "] ";
}

/** Library objects and the host double's objects must all be gone once a test body has ended. */
class BaseTest: public NoLeakTest
{
protected:
    void TearDown() override { EXPECT_TRUE(leakCheck().noHostObjectLeaks()); }
};

using PluginTest = BaseTest;
using EngineTest = BaseTest;

// ------------------------------------------------------------------------------------------------
// Plugin.

TEST_F(PluginTest, creationAndDestructionLogTheAddressAndLibraryName)
{
    StderrCapture capture;
    auto plugin = makePtr<BarePlugin>();
    const std::string address = printfPointer(plugin.get());
    plugin.reset();

    EXPECT_EQ((std::vector<std::string>{
                  kPluginPrefix + "Created IPlugin @" + address + " of " + libName(),
                  kPluginPrefix + "Destroyed IPlugin @" + address + " of " + libName(),
              }),
        capture.lines());
}

TEST_F(PluginTest, getManifestWithoutOverrideReportsAssertionAndReturnsEmptyText)
{
    const auto plugin = makePtr<BarePlugin>();
    sdk::analytics::IPlugin* const host = plugin.get();

    Result<sdk::IString*> result;
    StderrCapture capture;
    host->getManifest(&result);
    const std::string text = capture.text();

    EXPECT_EQ(kSuccess, takeError(&result.error));
    EXPECT_EQ("", takeText(result.value));
    const auto reports = assertionReports(text);
    ASSERT_EQ(1U, reports.size()) << text;
    EXPECT_EQ(kPluginPrefix, reports[0].prefix);
    EXPECT_EQ("false", reports[0].condition);
    EXPECT_EQ(
        "Either manifestString() should be overridden, or the constructor with pluginManifest argument "
        "(deprecated) should be called.",
        reports[0].message);
    EXPECT_EQ(2U, splitLines(text).size()) << text;
}

TEST_F(PluginTest, obtainEngineWithoutOverrideFailsWithInternalErrorAndLogsIt)
{
    const std::string message
        = "Either doObtainEngine() should be overridden, or the constructor with "
          "createEngine argument (deprecated) should be called.";
    const auto plugin = makePtr<BarePlugin>();
    sdk::analytics::IPlugin* const host = plugin.get();

    Result<IEngine*> result;
    StderrCapture capture;
    host->obtainEngine(&result);
    const std::string text = capture.text();

    EXPECT_EQ(ErrorSeen(ErrorCode::internalError, message), takeError(&result.error));
    EXPECT_EQ(nullptr, result.value);
    const auto reports = assertionReports(text);
    ASSERT_EQ(1U, reports.size()) << text;
    EXPECT_EQ(kPluginPrefix, reports[0].prefix);
    EXPECT_EQ("false", reports[0].condition);
    EXPECT_EQ(message, reports[0].message);
    const auto lines = splitLines(text);
    ASSERT_EQ(3U, lines.size()) << text;
    EXPECT_EQ(kPluginPrefix + "ERROR: " + libName() + ": " + message, lines[2]);
}

TEST_F(PluginTest, overriddenManifestAndEngineReachTheHost)
{
    IEngine* createdEngine = nullptr;
    const auto plugin = makePtr<OverridingPlugin>("{\"id\": \"test.plugin\"}", [&createdEngine]() -> Result<IEngine*> {
        createdEngine = new MinimalEngine(/*enableOutput*/ false);
        return {sdk::Error{}, createdEngine};
    });
    sdk::analytics::IPlugin* const host = plugin.get();

    Result<sdk::IString*> manifest;
    host->getManifest(&manifest);
    EXPECT_EQ(kSuccess, takeError(&manifest.error));
    EXPECT_EQ("{\"id\": \"test.plugin\"}", takeText(manifest.value));

    Result<IEngine*> result;
    StderrCapture capture;
    host->obtainEngine(&result);
    const auto lines = capture.lines();

    EXPECT_EQ(kSuccess, takeError(&result.error));
    ASSERT_NE(nullptr, result.value);
    EXPECT_EQ(createdEngine, result.value);
    // The host gets the only reference: releasing it must destroy the engine.
    EXPECT_EQ(1, refCountOf(result.value));
    EXPECT_EQ(0, result.value->releaseRef());
    // Only the engine's own creation line; a success writes no error line.
    ASSERT_EQ(1U, lines.size());
    EXPECT_EQ(0U, lines[0].find(enginePrefix() + "Created IEngine @")) << lines[0];
}

TEST_F(PluginTest, errorFromDoObtainEngineIsPassedOnAndLogged)
{
    const auto plugin = makePtr<OverridingPlugin>("{}", []() -> Result<IEngine*> {
        return {sdk::error(ErrorCode::otherError, "camera engine unavailable"), nullptr};
    });
    sdk::analytics::IPlugin* const host = plugin.get();

    Result<IEngine*> result;
    StderrCapture capture;
    host->obtainEngine(&result);

    EXPECT_EQ(ErrorSeen(ErrorCode::otherError, "camera engine unavailable"), takeError(&result.error));
    EXPECT_EQ(nullptr, result.value);
    EXPECT_EQ(std::vector<std::string>{kPluginPrefix + "ERROR: " + libName() + ": camera engine unavailable"},
        capture.lines());
}

TEST_F(PluginTest, olderConstructorServesItsManifestAndCreatesEnginesThroughTheFactory)
{
    const sdk::analytics::Plugin* factoryArgument = nullptr;
    const auto plugin = makePtr<FactoryPlugin>(
        "{\"from\": \"constructor\"}", [&factoryArgument](sdk::analytics::Plugin* owner) -> IEngine* {
            factoryArgument = owner;
            return new MinimalEngine(/*enableOutput*/ false);
        });
    sdk::analytics::IPlugin* const host = plugin.get();

    Result<sdk::IString*> manifest;
    host->getManifest(&manifest);
    EXPECT_EQ(kSuccess, takeError(&manifest.error));
    EXPECT_EQ("{\"from\": \"constructor\"}", takeText(manifest.value));

    Result<IEngine*> result;
    host->obtainEngine(&result);
    EXPECT_EQ(kSuccess, takeError(&result.error));
    ASSERT_NE(nullptr, result.value);
    EXPECT_EQ(plugin.get(), factoryArgument);
    adopt(result.value);
}

TEST_F(PluginTest, factoryReturningNullFailsWithOtherErrorAndLogsIt)
{
    const auto plugin = makePtr<FactoryPlugin>("{}", [](sdk::analytics::Plugin*) -> IEngine* { return nullptr; });
    sdk::analytics::IPlugin* const host = plugin.get();

    Result<IEngine*> result;
    StderrCapture capture;
    host->obtainEngine(&result);

    EXPECT_EQ(ErrorSeen(ErrorCode::otherError, "Unable to create Engine"), takeError(&result.error));
    EXPECT_EQ(nullptr, result.value);
    EXPECT_EQ(
        std::vector<std::string>{kPluginPrefix + "ERROR: " + libName() + ": Unable to create Engine"}, capture.lines());
}

TEST_F(PluginTest, setUtilityProviderKeepsOneReferenceAndReleasesThePreviousOne)
{
    const auto first = makePtr<UtilityProvider>();
    const auto second = makePtr<UtilityProvider>();
    auto plugin = makePtr<BarePlugin>();
    sdk::analytics::IPlugin* const host = plugin.get();

    host->setUtilityProvider(first.get());
    EXPECT_EQ(2, refCountOf(first.get()));
    host->setUtilityProvider(first.get());
    EXPECT_EQ(2, refCountOf(first.get()));

    host->setUtilityProvider(second.get());
    EXPECT_EQ(1, refCountOf(first.get()));
    EXPECT_EQ(2, refCountOf(second.get()));

    plugin.reset();
    EXPECT_EQ(1, refCountOf(second.get()));
}

TEST_F(PluginTest, setUtilityProviderWithNullDropsTheHeldProvider)
{
    const auto provider = makePtr<UtilityProvider>();
    const auto plugin = makePtr<BarePlugin>();
    sdk::analytics::IPlugin* const host = plugin.get();

    host->setUtilityProvider(provider.get());
    host->setUtilityProvider(nullptr);

    EXPECT_EQ(1, refCountOf(provider.get()));
}

TEST_F(PluginTest, answersToTheIdsOfEveryLevelOfItsInterface)
{
    const auto plugin = makePtr<BarePlugin>();
    const sdk::analytics::IPlugin* const host = plugin.get();
    const sdk::IRefCountable* const self = host;

    for (const char* id: {
             "tesh::sdk::analytics::IPlugin",
             "tesh::sdk::analytics::IIntegration",
             "tesh::sdk::IPlugin",
             "tesh::sdk::IIntegration",
             "tesh::sdk::IRefCountable",
         })
    {
        SCOPED_TRACE(id);
        sdk::IRefCountable* const answer = host->queryInterface(id);
        EXPECT_EQ(self, answer);
        EXPECT_EQ(2, refCountOf(self)) << "the answer carries one reference for the caller";
        if (answer)
            answer->releaseRef();
    }

    for (const char* id: {"tesh::sdk::analytics::IEngine", "tesh::sdk::analytics::IPlugin1", "", "tesh::sdk"})
    {
        SCOPED_TRACE(id);
        EXPECT_EQ(nullptr, host->queryInterface(id));
    }
    EXPECT_EQ(nullptr, host->queryInterface(nullptr));
    EXPECT_EQ(1, refCountOf(self)) << "a refused query adds no reference";
}

// ------------------------------------------------------------------------------------------------
// Engine.

TEST_F(EngineTest, creationAndDestructionAreLoggedWhateverEnableOutput)
{
    struct Case
    {
        bool enableOutput;
        std::string overridingPrefix;
    };
    for (const Case& c: std::vector<Case>{{false, ""}, {true, ""}, {false, "qv"}})
    {
        SCOPED_TRACE("enableOutput " + std::to_string(c.enableOutput) + ", prefix " + c.overridingPrefix);
        StderrCapture capture;
        auto engine = makePtr<MinimalEngine>(c.enableOutput, c.overridingPrefix);
        const void* const address = engine.get();
        engine.reset();

        const std::string prefix = enginePrefix(c.overridingPrefix);
        EXPECT_EQ((std::vector<std::string>{
                      prefix + "Created IEngine @" + printfPointer(address) + " of " + libName(),
                      prefix + "Destroyed " + streamPointer(address),
                  }),
            capture.lines());
    }
}

TEST_F(EngineTest, setEngineInfoPutsTheEngineIdIntoThePrefix)
{
    struct Case
    {
        std::string overridingPrefix;
        std::string engineId;
    };
    for (const Case& c: std::vector<Case>{{"", "abc"}, {"qv", "abc"}, {"", ""}})
    {
        SCOPED_TRACE("prefix " + c.overridingPrefix + ", id " + c.engineId);
        const auto info = makePtr<EngineInfo>(c.engineId);
        auto engine = makePtr<MinimalEngine>(/*enableOutput*/ false, c.overridingPrefix);
        IEngine* const host = engine.get();

        host->setEngineInfo(info.get());
        const std::string expected = enginePrefix(c.overridingPrefix, c.engineId);
        EXPECT_EQ(expected, engine->printPrefix());
        if (c.engineId == "abc")
        {
            EXPECT_EQ("_engine_abc] ", expected.substr(expected.size() - 13));
        }

        // The log lines follow the new prefix.
        StderrCapture capture;
        const void* const address = engine.get();
        engine.reset();
        EXPECT_EQ(std::vector<std::string>{expected + "Destroyed " + streamPointer(address)}, capture.lines());
        EXPECT_EQ(1, refCountOf(info.get())) << "the description is borrowed, not kept";
    }
}

TEST_F(EngineTest, unusableSettingsMapFailsWithInvalidParamsAndLogsEvenWithOutputOff)
{
    struct Case
    {
        const char* name;
        std::function<Ptr<sdk::IStringMap>()> makeMap;
        std::string expectedLine;
    };
    const std::vector<Case> cases{
        {"null map", [] { return Ptr<sdk::IStringMap>(); }, "ERROR: stringMap is null"},
        {"negative count",
            [] {
                auto map = makePtr<HostStringMap>(std::initializer_list<HostStringMap::Pair>{{"a", "1"}});
                map->setReportedCount(-1);
                return Ptr<sdk::IStringMap>(map);
            },
            "ERROR: Received settings: count is -1"},
    };
    for (const Case& c: cases)
    {
        SCOPED_TRACE(c.name);
        const auto settings = c.makeMap();
        const auto engine = makePtr<RecordingEngine>(/*enableOutput*/ false);
        IEngine* const host = engine.get();

        Result<sdk::ISettingsResponse*> result;
        StderrCapture capture;
        host->doSetSettings(&result, settings.get());

        EXPECT_EQ(
            ErrorSeen(ErrorCode::invalidParams, "Unable to convert the input string map"), takeError(&result.error));
        EXPECT_EQ(nullptr, result.value);
        EXPECT_EQ(std::vector<std::string>{enginePrefix() + c.expectedLine}, capture.lines());
        EXPECT_TRUE(engine->settings().empty());
        EXPECT_TRUE(engine->settingsSeenBySettingsReceived().empty());
    }
}

TEST_F(EngineTest, settingsDeliveriesAreMergedNotReplaced)
{
    const auto engine = makePtr<MinimalEngine>(/*enableOutput*/ false);
    IEngine* const host = engine.get();

    for (const Settings& delivery: std::vector<Settings>{{{"a", "1"}}, {{"b", "2"}}, {{"a", "3"}}})
    {
        const auto settings = makeHostStringMap(delivery);
        Result<sdk::ISettingsResponse*> result;
        host->doSetSettings(&result, settings.get());
        EXPECT_EQ(kSuccess, takeError(&result.error));
        EXPECT_EQ(nullptr, result.value);
        EXPECT_EQ(1, refCountOf(settings.get())) << "the map is borrowed, not kept";
    }

    EXPECT_EQ((Settings{{"a", "3"}, {"b", "2"}}), engine->settings());
}

TEST_F(EngineTest, receivedSettingsAreLoggedWithOutputOn)
{
    const auto engine = makePtr<MinimalEngine>(/*enableOutput*/ true);
    IEngine* const host = engine.get();
    const auto settings = makePtr<HostStringMap>(std::initializer_list<HostStringMap::Pair>{{"b", "x\"y"}, {"a", "1"}});

    Result<sdk::ISettingsResponse*> result;
    StderrCapture capture;
    host->doSetSettings(&result, settings.get());

    EXPECT_EQ(kSuccess, takeError(&result.error));
    const std::string p = enginePrefix();
    EXPECT_EQ((std::vector<std::string>{
                  p + "Received settings:",
                  p + "{",
                  p + "    \"b\": \"x\\\"y\",",
                  p + "    \"a\": \"1\"",
                  p + "}",
              }),
        capture.lines());
}

TEST_F(EngineTest, settingsReceivedSeesTheMergedSettingsAndItsResultIsTheSlotResult)
{
    const auto engine = makePtr<RecordingEngine>(/*enableOutput*/ false);
    IEngine* const host = engine.get();
    const sdk::ISettingsResponse* answered = nullptr;
    engine->setSettingsAnswer([&answered]() -> Result<sdk::ISettingsResponse*> {
        auto response = makePtr<sdk::SettingsResponse>();
        response->setValue("shown", "yes");
        answered = response.get();
        return {sdk::Error{}, response.releasePtr()};
    });

    const auto first = makePtr<HostStringMap>(std::initializer_list<HostStringMap::Pair>{{"a", "1"}});
    Result<sdk::ISettingsResponse*> result;
    host->doSetSettings(&result, first.get());
    EXPECT_EQ(kSuccess, takeError(&result.error));
    EXPECT_EQ(answered, result.value);
    adopt(result.value);

    engine->setSettingsAnswer([]() -> Result<sdk::ISettingsResponse*> {
        return {sdk::error(ErrorCode::otherError, "refused"), nullptr};
    });
    const auto second = makePtr<HostStringMap>(std::initializer_list<HostStringMap::Pair>{{"b", "2"}});
    Result<sdk::ISettingsResponse*> failed;
    host->doSetSettings(&failed, second.get());
    EXPECT_EQ(ErrorSeen(ErrorCode::otherError, "refused"), takeError(&failed.error));
    EXPECT_EQ(nullptr, failed.value);

    EXPECT_EQ(
        (std::vector<Settings>{{{"a", "1"}}, {{"a", "1"}, {"b", "2"}}}), engine->settingsSeenBySettingsReceived());
}

TEST_F(EngineTest, getPluginSideSettingsLeavesThePresetResultUnchanged)
{
    const auto engine = makePtr<MinimalEngine>(/*enableOutput*/ true);
    const IEngine* const host = engine.get();
    const auto preset = makePtr<sdk::SettingsResponse>();

    Result<sdk::ISettingsResponse*> result;
    result.error.errorCode = ErrorCode::notImplemented;
    result.value = preset.get();
    StderrCapture capture;
    host->getPluginSideSettings(&result);

    EXPECT_EQ(ErrorCode::notImplemented, result.error.errorCode);
    EXPECT_EQ(nullptr, result.error.errorMessage);
    EXPECT_EQ(preset.get(), result.value);
    EXPECT_EQ(1, preset->refCount());
    EXPECT_EQ("", capture.text());
}

TEST_F(EngineTest, getManifestWrapsManifestString)
{
    const auto engine = makePtr<MinimalEngine>(/*enableOutput*/ false);
    const IEngine* const host = engine.get();

    Result<sdk::IString*> result;
    host->getManifest(&result);

    EXPECT_EQ(kSuccess, takeError(&result.error));
    EXPECT_EQ(MinimalEngine::kManifest, takeText(result.value));
}

TEST_F(EngineTest, doExecuteActionWithNullActionFailsAndLogsWhateverEnableOutput)
{
    for (const bool enableOutput: {false, true})
    {
        SCOPED_TRACE("enableOutput " + std::to_string(enableOutput));
        const auto engine = makePtr<RecordingEngine>(enableOutput);
        IEngine* const host = engine.get();

        Result<ActionResult> result;
        StderrCapture capture;
        host->doExecuteAction(&result, nullptr);

        EXPECT_EQ(ErrorSeen(ErrorCode::invalidParams, "Action is null"), takeError(&result.error));
        EXPECT_EQ(nullptr, result.value.url);
        EXPECT_EQ(nullptr, result.value.message);
        EXPECT_EQ(std::vector<std::string>{enginePrefix() + "doExecuteAction(): INTERNAL ERROR: action is null"},
            capture.lines());
        EXPECT_TRUE(engine->executedActions().empty());
    }
}

Ptr<Action> fullAction(Ptr<IObjectTrackInfo> objectTrackInfo)
{
    auto action = makePtr<Action>("tesh.qv.Reset");
    action->setObjectTrackId(makeUuid(0x00));
    action->setDeviceId(makeUuid(0xA0));
    action->setTimestampUs(1234567890123);
    action->setObjectTrackInfo(std::move(objectTrackInfo));
    action->setParams(Ptr<sdk::IStringMap>(
        makePtr<HostStringMap>(std::initializer_list<HostStringMap::Pair>{{"zone", "2"}, {"mode", "full"}})));
    return action;
}

TEST_F(EngineTest, doExecuteActionOnTheBaseSucceedsWithAnEmptyActionResult)
{
    const auto engine = makePtr<MinimalEngine>(/*enableOutput*/ false);
    IEngine* const host = engine.get();
    const auto trackInfo = makePtr<ObjectTrackInfo>();
    const auto action = fullAction(Ptr<IObjectTrackInfo>(trackInfo));

    Result<ActionResult> result;
    StderrCapture capture;
    host->doExecuteAction(&result, action.get());

    EXPECT_EQ(kSuccess, takeError(&result.error));
    EXPECT_EQ(nullptr, result.value.url);
    EXPECT_EQ(nullptr, result.value.message);
    EXPECT_EQ("", capture.text()) << "nothing is logged with enableOutput off";
    EXPECT_EQ(2, refCountOf(trackInfo.get())) << "only ours and the action's references remain";
}

TEST_F(EngineTest, doExecuteActionHandsTheUnpackedActionToExecuteActionAndReturnsItsResult)
{
    const auto engine = makePtr<RecordingEngine>(/*enableOutput*/ false);
    IEngine* const host = engine.get();
    const auto trackInfo = makePtr<ObjectTrackInfo>();
    const auto action = fullAction(Ptr<IObjectTrackInfo>(trackInfo));
    const sdk::IString* answeredUrl = nullptr;
    engine->setActionAnswer([&answeredUrl]() -> Result<ActionResult> {
        auto* const url = new sdk::String("http://127.0.0.1/track");
        answeredUrl = url;
        return {sdk::Error{}, {url, new sdk::String("done")}};
    });

    Result<ActionResult> result;
    host->doExecuteAction(&result, action.get());

    EXPECT_EQ(kSuccess, takeError(&result.error));
    EXPECT_EQ(answeredUrl, result.value.url);
    EXPECT_EQ("http://127.0.0.1/track", takeText(result.value.url));
    EXPECT_EQ("done", takeText(result.value.message));

    ASSERT_EQ(1U, engine->executedActions().size());
    const ExecutedAction& executed = engine->executedActions()[0];
    EXPECT_EQ("tesh.qv.Reset", executed.actionId);
    EXPECT_TRUE(makeUuid(0x00) == executed.objectTrackId);
    EXPECT_TRUE(makeUuid(0xA0) == executed.deviceId);
    EXPECT_EQ(1234567890123, executed.timestampUs);
    EXPECT_EQ(trackInfo.get(), executed.objectTrackInfo);
    EXPECT_EQ((Settings{{"mode", "full"}, {"zone", "2"}}), executed.params);

    // The references taken from the action for the call are given back.
    EXPECT_EQ(2, refCountOf(trackInfo.get()));
    const Ptr<sdk::IStringMap> params = adopt(action->params());
    EXPECT_EQ(2, refCountOf(params.get()));
}

TEST_F(EngineTest, doExecuteActionWithOutputOnLogsTheActionBlock)
{
    const auto engine = makePtr<MinimalEngine>(/*enableOutput*/ true);
    IEngine* const host = engine.get();
    const auto action = fullAction(nullptr);

    Result<ActionResult> result;
    StderrCapture capture;
    host->doExecuteAction(&result, action.get());

    EXPECT_EQ(kSuccess, takeError(&result.error));
    const std::string p = enginePrefix();
    EXPECT_EQ((std::vector<std::string>{
                  p + "doExecuteAction():",
                  p + "{",
                  p + "    actionId: \"tesh.qv.Reset\"",
                  p + "    objectTrackId: {00010203-0405-0607-0809-0A0B0C0D0E0F}",
                  p + "    deviceId: {A0A1A2A3-A4A5-A6A7-A8A9-AAABACADAEAF}",
                  p + "    timestampUs: 1234567890123",
                  p + "    params:",
                  p + "    {",
                  p + "        \"zone\": \"2\",",
                  p + "        \"mode\": \"full\"",
                  p + "    }",
                  p + "}",
              }),
        capture.lines());
}

TEST_F(EngineTest, doExecuteActionWithUnusableParamsFailsWithInvalidParams)
{
    struct Case
    {
        const char* name;
        std::function<Ptr<sdk::IStringMap>()> makeParams;
    };
    const std::vector<Case> cases{
        {"negative count",
            [] {
                auto map = makePtr<HostStringMap>(std::initializer_list<HostStringMap::Pair>{{"k", "v"}});
                map->setReportedCount(-3);
                return Ptr<sdk::IStringMap>(map);
            }},
        {"no params map", [] { return Ptr<sdk::IStringMap>(); }},
    };
    for (const Case& c: cases)
    {
        SCOPED_TRACE(c.name);
        const auto engine = makePtr<RecordingEngine>(/*enableOutput*/ false);
        IEngine* const host = engine.get();
        const auto params = c.makeParams();
        auto action = makePtr<Action>("tesh.qv.Reset");
        action->setParams(params);

        Result<ActionResult> result;
        StderrCapture capture;
        host->doExecuteAction(&result, action.get());
        const auto lines = capture.lines();

        EXPECT_EQ(ErrorSeen(ErrorCode::invalidParams, "Invalid action parameters"), takeError(&result.error));
        EXPECT_EQ(nullptr, result.value.url);
        EXPECT_EQ(nullptr, result.value.message);
        EXPECT_TRUE(engine->executedActions().empty());
        ASSERT_EQ(1U, lines.size()) << "one ERROR line whatever enableOutput";
        EXPECT_EQ(0U, lines[0].find(enginePrefix() + "ERROR: ")) << lines[0];
        if (params)
        {
            EXPECT_EQ(2, refCountOf(params.get())) << "the map taken from the action is released";
        }
    }
}

TEST_F(EngineTest, negativeParamsCountIsNamedInTheErrorLine)
{
    const auto engine = makePtr<MinimalEngine>(/*enableOutput*/ true);
    IEngine* const host = engine.get();
    auto params = makePtr<HostStringMap>();
    params->setReportedCount(-1);
    auto action = makePtr<Action>("a");
    action->setParams(Ptr<sdk::IStringMap>(params));

    Result<ActionResult> result;
    StderrCapture capture;
    host->doExecuteAction(&result, action.get());
    const auto lines = capture.lines();

    EXPECT_EQ(ErrorSeen(ErrorCode::invalidParams, "Invalid action parameters"), takeError(&result.error));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(enginePrefix() + "ERROR: params: count is -1", lines.back());
    EXPECT_NE(enginePrefix() + "}", lines.back()) << "the action block is not closed on failure";
}

TEST_F(EngineTest, setHandlerKeepsOneReferenceAndTheEngineReleasesItWhenItDies)
{
    const auto first = makePtr<EngineHandler>();
    const auto second = makePtr<EngineHandler>();
    auto engine = makePtr<MinimalEngine>(/*enableOutput*/ false);
    IEngine* const host = engine.get();

    host->setHandler(first.get());
    host->setHandler(first.get());
    EXPECT_EQ(2, refCountOf(first.get()));

    host->setHandler(second.get());
    EXPECT_EQ(1, refCountOf(first.get()));
    EXPECT_EQ(2, refCountOf(second.get()));

    engine.reset();
    EXPECT_EQ(1, refCountOf(second.get()));
}

} // namespace
} // namespace tesh::test
