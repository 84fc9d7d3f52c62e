// The full read of the camera's configuration that the host's first settings delivery causes, timed against the
// simulated camera at several answer delays, and against one that serves two connections at once, ending with a
// table of each time against its lower bound.
#include <chrono>
#include <cstddef>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <camera_settings/camera_request.h>
#include <camera_settings/settings_defaults.h>
#include <camera_simulator.h>
#include <host_double/device_info.h>
#include <host_double/host_string_map.h>
#include <tesh/sdk/helpers/ptr.h>

#include "capturing_reporter.h"
#include "exchange_count.h"
#include "first_delivery_read.h"
#include "settings_read_table.h"

namespace tesh::bench {

namespace {

using vms_server_plugins::analytics::qv::kMaxCameraRequestsInFlight;
using vms_server_plugins::analytics::qv::settingsDefaults;

/**
 * No delay shows the plug-in's own cost; 5 and 20 ms are a camera busy with video and a camera at its limit; the
 * last is such a camera that also serves only two connections at once and resets the rest.
 */
const std::vector<ReadCase> kCases = {{0, 0}, {5, 0}, {20, 0}, {20, 2}};

/** An address of its own on loopback, apart from those of the tests; the agent always asks port 80. */
constexpr char kCameraAddress[] = "127.0.0.90";
constexpr char kCameraUrl[] = "http://127.0.0.90/";
constexpr int kCameraPort = 80;
constexpr char kCameraLogin[] = "admin";
constexpr char kCameraPassword[] = "secret";

/**
 * Only the first delivery to an agent reads the camera, so each read takes an agent of its own, and at 20 ms one
 * read lasts seconds: a few reads give the mean, the bound is exact and the run stays short.
 */
constexpr benchmark::IterationCount kReads = 3;

constexpr double kMillisecondsPerSecond = 1000;

/** What the reads of one delay add up to; the counters are their means. */
struct ReadTotals
{
    double seconds = 0;
    ExchangeCount exchanges;
    int64_t values = 0;
    int64_t errors = 0;
    int64_t reads = 0;

    void add(const FirstDeliveryOutcome& outcome, const ExchangeCount& count)
    {
        seconds += std::chrono::duration<double>(outcome.callTime).count();
        exchanges.exchanges += count.exchanges;
        exchanges.challenges += count.challenges;
        exchanges.parameters += count.parameters;
        values += outcome.values;
        errors += outcome.errors;
        ++reads;
    }

    double meanOf(double total) const { return total / static_cast<double>(reads); }
};

std::unique_ptr<qvcam::CameraSimulator> startCamera(const ReadCase& read, std::string* errorMessage)
{
    qvcam::CameraSimulatorOptions options;
    options.address = kCameraAddress;
    options.port = kCameraPort;
    options.user = kCameraLogin;
    options.password = kCameraPassword;
    options.answerDelayMs = read.delayMs;
    options.maxConnections = read.maxConnections;
    auto camera = std::make_unique<qvcam::CameraSimulator>(std::move(options));
    if (!camera->start(errorMessage))
    {
        *errorMessage += " (port 80 of loopback: run it through tools/in-netns.sh, as make bench-settings does)";
        return nullptr;
    }
    return camera;
}

sdk::Ptr<test::DeviceInfo> cameraDevice()
{
    auto device = sdk::makePtr<test::DeviceInfo>();
    device->setId("camera-1");
    device->setUrl(kCameraUrl);
    device->setLogin(kCameraLogin);
    device->setPassword(kCameraPassword);
    return device;
}

void reportCounters(benchmark::State& state, const ReadTotals& totals, const ReadCase& read)
{
    if (totals.reads == 0)
        return;
    const int atOnce = read.maxConnections > 0 ? read.maxConnections : kMaxCameraRequestsInFlight;
    const double parameters = totals.meanOf(static_cast<double>(totals.exchanges.parameters));
    const double boundMs = parameters * read.delayMs / atOnce;
    state.counters[kAtOnceCounter] = atOnce;
    state.counters[kParametersCounter] = parameters;
    state.counters[kExchangesCounter] = totals.meanOf(static_cast<double>(totals.exchanges.exchanges));
    state.counters[kChallengesCounter] = totals.meanOf(static_cast<double>(totals.exchanges.challenges));
    state.counters[kBoundCounter] = boundMs;
    state.counters[kValuesCounter] = totals.meanOf(static_cast<double>(totals.values));
    state.counters[kErrorsCounter] = totals.meanOf(static_cast<double>(totals.errors));
    if (boundMs > 0)
        state.counters[kRatioCounter] = totals.meanOf(totals.seconds) * kMillisecondsPerSecond / boundMs;
}

void firstDeliveryFullRead(benchmark::State& state)
{
    const ReadCase read{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
    std::string errorMessage;
    const std::unique_ptr<qvcam::CameraSimulator> camera = startCamera(read, &errorMessage);
    if (!camera)
    {
        state.SkipWithError(errorMessage.c_str());
        return;
    }
    const sdk::Ptr<test::DeviceInfo> device = cameraDevice();
    const sdk::Ptr<test::HostStringMap> defaults = test::makeHostStringMap(settingsDefaults());
    ReadTotals totals;
    for (auto _: state)
    {
        const std::size_t firstRecord = camera->servedRequests().size();
        const FirstDeliveryOutcome outcome = deliverToNewAgent(device.get(), defaults.get());
        state.SetIterationTime(std::chrono::duration<double>(outcome.callTime).count());
        if (!outcome.failure.empty())
        {
            state.SkipWithError(("doSetSettings failed: " + outcome.failure).c_str());
            break;
        }
        totals.add(outcome, countExchanges(camera->servedRequests(), firstRecord));
    }
    reportCounters(state, totals, read);
    state.counters[kSettingsCounter] = static_cast<double>(defaults->count());
}

void registerBenchmarks()
{
    benchmark::internal::Benchmark* benchmark = benchmark::RegisterBenchmark(kFullReadName, firstDeliveryFullRead);
    benchmark->ArgNames({kDelayArgName, kCapArgName})
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(kReads);
    for (const ReadCase& read: kCases)
        benchmark->Args({read.delayMs, read.maxConnections});
}

} // namespace

} // namespace tesh::bench

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    tesh::bench::registerBenchmarks();
    tesh::bench::CapturingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    tesh::bench::printSettingsReadTable(reporter, tesh::bench::kCases, std::cout);
    benchmark::Shutdown();
    return 0;
}
