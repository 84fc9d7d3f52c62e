// qvhost: loads the plug-in as the video management server does and drives it, for integrators and tests.
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "custom_metadata_packet.h"
#include "host_error.h"
#include "input_documents.h"
#include "manifest_checks.h"
#include "packet_recorder.h"
#include "platform.h"
#include "plugin_session.h"
#include "replay_statistics.h"

namespace qvhost {
namespace {

using namespace std::chrono_literals;

/** Each calibration level shifts the metadata by this much; the plug-in applies it, qvhost only expects it. */
constexpr int64_t kCalibrationStepUs = 50'000;

/** Deliveries have ended when none came for this long after the last push. */
constexpr auto kQuietTime = 300ms;

/** However busy the plug-in, a replay waits no longer than this for the last packets. */
constexpr auto kMaxWaitForDeliveries = 10s;

struct CommonOptions
{
    std::string library = QVHOST_DEFAULT_LIBRARY;
    std::string pluginLog;
};

struct ReplayOptions
{
    std::vector<std::string> inputs;
    DeviceDescription device{"qvhost-camera-1", "Quorvane", "RMTL-5200", "http://127.0.0.1/", "admin", ""};
    double rate = 50;
    int64_t startUs = 1'000'000;
    int64_t stepUs = 100'000;
    // The model's defaults, which the server delivers before the first packet.
    int calibration = 0;
    int highlightSeconds = 5;
    std::string output;
};

/** Where qvhost's own messages go: the standard error, or what it was before the plug-in's log took it. */
std::FILE* gMessages = stderr;

std::FILE* messageStream(const CommonOptions& options)
{
    if (options.pluginLog.empty())
        return gMessages;
    std::string error;
    std::FILE* const stream = platform::redirectStandardError(options.pluginLog, &error);
    if (!stream)
        throw HostError(kBadUse, error);
    std::setvbuf(stream, nullptr, _IOLBF, 0);
    gMessages = stream;
    return gMessages;
}

std::string pretty(const std::string& manifest)
{
    const auto json = nlohmann::ordered_json::parse(manifest, nullptr, false);
    return json.is_discarded() ? manifest : json.dump(4);
}

int endSession(PluginSession& session, std::FILE* messages)
{
    session.release();
    const int leaks = session.reportLeaks(messages);
    if (leaks > 0)
    {
        std::fprintf(messages, "qvhost: %d of the plug-in's %d object(s) were never destroyed\n", leaks,
            session.createdObjectCount());
    }
    return leaks > 0 ? kLeaked : 0;
}

int runManifest(const CommonOptions& common, const DeviceDescription& device)
{
    std::FILE* const messages = messageStream(common);
    PluginSession session(common.library);
    session.obtainAgent(device, nullptr);
    const Manifests manifests{session.pluginManifest(), session.engineManifest(), session.agentManifest()};
    std::printf("Built against the host SDK %s\n\n", session.sdkVersion().c_str());
    std::printf("Plug-in manifest\n%s\n\nEngine manifest\n%s\n\nDevice agent manifest\n%s\n",
        pretty(manifests.plugin).c_str(), pretty(manifests.engine).c_str(), pretty(manifests.deviceAgent).c_str());
    std::fflush(stdout);
    const std::vector<std::string> problems = manifestProblems(manifests);
    for (const std::string& problem: problems)
        std::fprintf(messages, "qvhost: %s\n", problem.c_str());
    const int status = endSession(session, messages);
    return status != 0 ? status : problems.empty() ? 0 : kChecksFailed;
}

/** After the last push, until no packet came for the quiet time. */
void waitForDeliveries(const ReplayStatistics& statistics, Clock::time_point lastPush)
{
    const auto deadline = Clock::now() + kMaxWaitForDeliveries;
    while (Clock::now() < deadline)
    {
        const auto lastActivity = std::max(lastPush, statistics.lastArrival());
        if (Clock::now() - lastActivity > kQuietTime)
            return;
        std::this_thread::sleep_for(10ms);
    }
}

Clock::time_point pushAll(PluginSession& session, const std::vector<InputDocument>& documents,
    const ReplayOptions& options, ReplayStatistics* statistics, std::FILE* messages)
{
    const int64_t shiftUs = options.calibration * kCalibrationStepUs;
    const auto begin = Clock::now();
    Clock::time_point lastPush = begin;
    for (size_t i = 0; i < documents.size(); ++i)
    {
        if (options.rate > 0)
            std::this_thread::sleep_until(begin + std::chrono::duration<double>(static_cast<double>(i) / options.rate));
        const int64_t timestampUs = options.startUs + static_cast<int64_t>(i) * options.stepUs;
        const HostRef<CustomMetadataPacket> packet(new CustomMetadataPacket(timestampUs, documents[i].text));
        const auto pushStart = Clock::now();
        statistics->pushStarting(timestampUs + shiftUs, hasContent(documents[i].text), pushStart);
        const std::string error = session.pushDataPacket(packet.get());
        lastPush = Clock::now();
        statistics->pushReturned(timestampUs + shiftUs, lastPush - pushStart);
        if (!error.empty())
            std::fprintf(messages, "qvhost: document %zu (%s) was refused: %s\n", i + 1, documents[i].source.c_str(), error.c_str());
    }
    return lastPush;
}

int runReplay(const CommonOptions& common, const ReplayOptions& options)
{
    const std::vector<InputDocument> documents = readInputDocuments(options.inputs);
    std::FILE* const out = options.output.empty() ? stdout : std::fopen(options.output.c_str(), "w");
    if (!out)
        throw HostError(kBadUse, "cannot write '" + options.output + "'");
    std::FILE* const messages = messageStream(common);
    ReplayStatistics statistics;
    int status = 0;
    {
        PluginSession session(common.library);
        const HostRef<PacketRecorder> recorder(new PacketRecorder(out, &statistics));
        session.obtainAgent(options.device, recorder.get());
        const std::string error = session.deliverSettings({{"TS_CALIBRATION", std::to_string(options.calibration)},
            {"HL_DURATION", std::to_string(options.highlightSeconds)}});
        if (!error.empty())
            std::fprintf(messages, "qvhost: the agent reported on the settings: %s\n", error.c_str());
        const auto lastPush = pushAll(session, documents, options, &statistics, messages);
        waitForDeliveries(statistics, lastPush);
        status = endSession(session, messages);
    }
    std::fflush(out);
    if (out != stdout)
        std::fclose(out);
    statistics.printSummary(messages, options.startUs + options.calibration * kCalibrationStepUs);
    return status;
}

void addCommonOptions(CLI::App* command, CommonOptions* options)
{
    command->add_option("--library", options->library, "The plug-in library to load")->capture_default_str();
    command->add_option("--plugin-log", options->pluginLog,
        "Send the plug-in's log (the standard error) to this file; qvhost's own messages stay on the terminal");
}

void addDeviceOptions(CLI::App* command, DeviceDescription* device)
{
    command->add_option("--vendor", device->vendor, "The camera's vendor as the server reports it")
        ->capture_default_str();
    command->add_option("--model", device->model, "The camera's model")->capture_default_str();
    command->add_option("--url", device->url, "The camera's URL; only its address is used")->capture_default_str();
    command->add_option("--login", device->login, "The camera's user name")->capture_default_str();
    command->add_option("--password", device->password, "The camera's password");
}

} // namespace
} // namespace qvhost

int main(int argc, char** argv)
{
    using namespace qvhost;
    CLI::App app{"qvhost: loads the analytics plug-in the way the video management server does and drives it."};
    app.require_subcommand(1);
    CommonOptions common;

    DeviceDescription manifestDevice = ReplayOptions().device;
    CLI::App* manifest = app.add_subcommand("manifest",
        "Print the plug-in, engine and device agent manifests and check them (valid JSON, 337 settings, the type "
        "library's counts). Exit status 1 when a check fails.");
    addCommonOptions(manifest, &common);
    addDeviceOptions(manifest, &manifestDevice);

    ReplayOptions replayOptions;
    CLI::App* replay = app.add_subcommand("replay",
        "Push camera metadata documents to a device agent as custom metadata packets and write every packet that "
        "comes back as one JSON line; a summary goes to the standard error. A file may hold several documents one "
        "after another, each starting with an XML declaration (or, without declarations, with its "
        "tt:MetaDataStream root); a directory stands for its files in name order.");
    addCommonOptions(replay, &common);
    addDeviceOptions(replay, &replayOptions.device);
    replay->add_option("inputs", replayOptions.inputs, "Files or directories of documents")->required();
    replay->add_option("--rate", replayOptions.rate, "Documents per second; 0 pushes as fast as possible")
        ->capture_default_str()->check(CLI::NonNegativeNumber);
    replay->add_option("--start-us", replayOptions.startUs, "Timestamp of the first packet (us)")
        ->capture_default_str()->check(CLI::NonNegativeNumber);
    replay->add_option("--step-us", replayOptions.stepUs, "Timestamp step between packets (us)")
        ->capture_default_str()->check(CLI::PositiveNumber);
    replay->add_option("--calibration", replayOptions.calibration,
        "Delay level -20..20 (setting TS_CALIBRATION): shifts the metadata by 50 ms per level")
        ->capture_default_str()->check(CLI::Range(-20, 20));
    replay->add_option("--highlight", replayOptions.highlightSeconds,
        "Seconds an object stays red after a region event (setting HL_DURATION); 0 turns it off")
        ->capture_default_str()->check(CLI::IsMember({0, 1, 5, 10, 30, 60}));
    replay->add_option("--output", replayOptions.output, "Write the JSON lines here instead of the standard output");

    CLI11_PARSE(app, argc, argv);
    try
    {
        if (manifest->parsed())
            return runManifest(common, manifestDevice);
        return runReplay(common, replayOptions);
    }
    catch (const HostError& error)
    {
        std::fprintf(gMessages, "qvhost: %s\n", error.what());
        return error.status();
    }
}
