// qvhost: loads the plug-in as the video management server does and drives it, for integrators and tests.
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <host_kit/custom_metadata_packet.h>
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "host_command.h"
#include "host_error.h"
#include "input_documents.h"
#include "manifest_checks.h"
#include "packet_recorder.h"
#include "plugin_session.h"
#include "replay_statistics.h"
#include "report_page.h"
#include "settings_command.h"

namespace qvhost {
namespace {

using host_kit::CustomMetadataPacket;
using namespace std::chrono_literals;

/** Each calibration level shifts the metadata by this much; the plug-in applies it, qvhost only expects it. */
constexpr int64_t kCalibrationStepUs = 50'000;

/** Deliveries have ended when none came for this long after the last push. */
constexpr auto kQuietTime = 300ms;

/** However busy the plug-in, a replay waits no longer than this for the last packets. */
constexpr auto kMaxWaitForDeliveries = 10s;

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
    std::string report;
};

std::string pretty(const std::string& manifest)
{
    const auto json = nlohmann::ordered_json::parse(manifest, nullptr, false);
    return json.is_discarded() ? manifest : json.dump(4);
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

Clock::time_point pushAll(PluginSession& session,
    const std::vector<InputDocument>& documents,
    const ReplayOptions& options,
    ReplayStatistics* statistics,
    std::FILE* messages)
{
    const int64_t shiftUs = options.calibration * kCalibrationStepUs;
    const auto begin = Clock::now();
    Clock::time_point lastPush = begin;
    for (size_t i = 0; i < documents.size(); ++i)
    {
        if (options.rate > 0)
            std::this_thread::sleep_until(begin + std::chrono::duration<double>(static_cast<double>(i) / options.rate));
        const int64_t timestampUs = options.startUs + static_cast<int64_t>(i) * options.stepUs;
        const HostRef<CustomMetadataPacket> packet(
            new CustomMetadataPacket(timestampUs, CustomMetadataPacket::kDefaultCodec, documents[i].text));
        const auto pushStart = Clock::now();
        statistics->pushStarting(timestampUs + shiftUs, shapeOf(documents[i].text), pushStart);
        const std::string error = session.pushDataPacket(packet.get());
        lastPush = Clock::now();
        statistics->pushReturned(timestampUs + shiftUs, lastPush - pushStart, !error.empty());
        if (!error.empty())
            std::fprintf(messages, "qvhost: document %zu (%s) was refused: %s\n", i + 1, documents[i].source.c_str(),
                error.c_str());
    }
    return lastPush;
}

/** The page of the replay just ended, and a line on where it went, how large it is and how long it took. */
void writeReport(ReportFile* report, const ReplayOptions& options, ReplayStatistics* statistics, std::FILE* messages)
{
    const auto start = Clock::now();
    const DeviceDescription& device = options.device;
    const std::vector<std::pair<std::string, std::string>> camera = {{"camera", device.vendor + " " + device.model},
        {"URL", device.url}, {"device id", device.id}, {"calibration", std::to_string(options.calibration)},
        {"highlight", std::to_string(options.highlightSeconds) + " s"}};
    const size_t bytes = report->write({camera, options.inputs, statistics->summary(), statistics->takeDocuments()});
    const auto took = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::fprintf(messages, "qvhost: wrote the report %s (%zu bytes) in %.0f ms\n", options.report.c_str(), bytes, took);
}

int runReplay(const CommonOptions& common, const ReplayOptions& options)
{
    const std::vector<InputDocument> documents = readInputDocuments(options.inputs);
    std::optional<ReportFile> report;
    if (!options.report.empty())
        report.emplace(options.report);
    std::FILE* const out = options.output.empty() ? stdout : std::fopen(options.output.c_str(), "w");
    if (!out)
        throw HostError(kBadUse, "cannot write '" + options.output + "'");
    std::FILE* const messages = messageStream(common);
    ReplayStatistics statistics(report.has_value());
    int status = 0;
    {
        PluginSession session(common.library);
        const HostRef<PacketRecorder> recorder(new PacketRecorder(out, &statistics));
        session.obtainAgent(options.device, recorder.get());
        const std::string error = session
                                      .deliverSettings({{"TS_CALIBRATION", std::to_string(options.calibration)},
                                          {"HL_DURATION", std::to_string(options.highlightSeconds)}})
                                      .error;
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
    if (report)
        writeReport(&*report, options, &statistics, messages);
    return status;
}

void addCommonOptions(CLI::App* command, CommonOptions* options)
{
    command->add_option("--library", options->library, "The plug-in library to load")->capture_default_str();
    command->add_option("--plugin-log", options->pluginLog,
        "Send the plug-in's log (the standard error) to this file; qvhost's own messages stay on the terminal");
}

void addDeviceOptions(CLI::App* command,
    DeviceDescription* device,
    const std::string& urlHelp = "The camera's URL; only its address is used")
{
    command->add_option("--vendor", device->vendor, "The camera's vendor as the server reports it")
        ->capture_default_str();
    command->add_option("--model", device->model, "The camera's model")->capture_default_str();
    command->add_option("--url", device->url, urlHelp)->capture_default_str();
    command->add_option("--login", device->login, "The camera's user name")->capture_default_str();
    command->add_option("--password", device->password, "The camera's password");
}

void addSettingsOptions(CLI::App* command, SettingsOptions* options)
{
    addDeviceOptions(command, &options->device,
        "The camera's URL; only its address is used. Without it qvhost runs a simulated camera itself");
    CLI::Option* const url = command->get_option("--url");
    command
        ->add_option("--camera-address", options->cameraAddress,
            "Loopback address (127.0.0.0/8) whose port 80 the simulated camera listens on")
        ->capture_default_str()
        ->excludes(url);
    command
        ->add_option("--camera-parameters", options->cameraParameters,
            "The simulated camera's prepared configuration: a JSON object of camera parameter NAME -> VALUE")
        ->excludes(url);
    command->add_option("--values", options->valuesFile,
        "A JSON object of setting NAME -> VALUE the host holds instead of the model's defaults");
    command->add_option("--set", options->assignments,
        "A change NAME=VALUE delivered after the camera was read (repeatable); the writes it causes are listed");
    command->add_option("--changes", options->changesFile, "Changes as a JSON object of setting NAME -> VALUE");
    command->add_flag("--json", options->json, "One JSON line per step instead of tables");
    command->add_flag("--differences", options->differencesOnly,
        "Show only the values the plug-in reported otherwise than they were delivered");
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
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    replay->add_option("--start-us", replayOptions.startUs, "Timestamp of the first packet (us)")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    replay->add_option("--step-us", replayOptions.stepUs, "Timestamp step between packets (us)")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    replay
        ->add_option("--calibration", replayOptions.calibration,
            "Delay level -20..20 (setting TS_CALIBRATION): shifts the metadata by 50 ms per level")
        ->capture_default_str()
        ->check(CLI::Range(-20, 20));
    replay
        ->add_option("--highlight", replayOptions.highlightSeconds,
            "Seconds an object stays red after a region event (setting HL_DURATION); 0 turns it off")
        ->capture_default_str()
        ->check(CLI::IsMember({0, 1, 5, 10, 30, 60}));
    replay->add_option("--output", replayOptions.output, "Write the JSON lines here instead of the standard output");
    replay->add_option("--report", replayOptions.report,
        "Also write a self-contained HTML page of what came back: summary, scene view, track timeline, timing");

    SettingsOptions settingsOptions;
    CLI::App* settings = app.add_subcommand("settings",
        "Drive a settings cycle as the server's dialog does: deliver the host's values (the model's defaults, or "
        "--values) and print the camera's configuration the plug-in reads back; with --set or --changes deliver "
        "the changes as well and list the camera parameters they wrote. Without --url the camera is a simulated "
        "one on port 80 of --camera-address, which needs root or tools/in-netns.sh.");
    addCommonOptions(settings, &common);
    addSettingsOptions(settings, &settingsOptions);

    CLI11_PARSE(app, argc, argv);
    try
    {
        if (manifest->parsed())
            return runManifest(common, manifestDevice);
        if (settings->parsed())
            return runSettings(common, settingsOptions);
        return runReplay(common, replayOptions);
    }
    catch (const HostError& error)
    {
        std::fprintf(hostMessages(), "qvhost: %s\n", error.what());
        return error.status();
    }
}
