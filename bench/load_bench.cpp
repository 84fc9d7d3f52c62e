// The load of a server with many cameras: K agents of the built library, loaded through its exports, each fed
// 30 documents of 50 objects a second. One benchmark per K reports what the process spent and how late the
// passes ran; --soak-minutes runs one K for minutes and prints the process's figures once a minute.
//
//   load_bench [--seconds=S] [benchmark flags]
//   load_bench --soak-minutes=M [--cameras=K]
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include <qvhost/host_error.h>
#include <qvhost/plugin_session.h>

#include "camera_document.h"
#include "load_run.h"

namespace tesh::bench {

namespace {

/** A crowded scene: the document the metadata benchmarks call crowded. */
constexpr int kObjectsPerDocument = 50;

constexpr int kSoakCameras = 256;

struct Options
{
    int seconds = 10;
    int soakMinutes = 0;
    int soakCameras = kSoakCameras;
};

Options g_options;
qvhost::PluginSession* g_session = nullptr;

std::shared_ptr<const std::string> crowdedDocument()
{
    return std::make_shared<const std::string>(cameraDocument(kObjectsPerDocument));
}

/** Takes this program's own flags out of the arguments, leaving Google Benchmark's. */
bool takeOption(const char* argument, const char* name, int* value)
{
    const size_t length = std::strlen(name);
    if (std::strncmp(argument, name, length) != 0 || argument[length] != '=')
        return false;
    *value = std::atoi(argument + length + 1);
    return true;
}

void takeOptions(int* argc, char** argv)
{
    int kept = 1;
    for (int i = 1; i < *argc; ++i)
    {
        if (!takeOption(argv[i], "--seconds", &g_options.seconds)
            && !takeOption(argv[i], "--soak-minutes", &g_options.soakMinutes)
            && !takeOption(argv[i], "--cameras", &g_options.soakCameras))
        {
            argv[kept++] = argv[i];
        }
    }
    *argc = kept;
}

constexpr double kMiB = 1024.0 * 1024.0;

void loadOfCameras(benchmark::State& state)
{
    const int cameras = static_cast<int>(state.range(0));
    for (auto _: state)
    {
        LoadRun run(*g_session, cameras, crowdedDocument());
        run.start();
        std::this_thread::sleep_for(std::chrono::seconds(g_options.seconds));
        const LoadFigures figures = run.stop();
        state.SetIterationTime(g_options.seconds);

        // Feeders starved of processor time push less than the cameras send: then "dropped" says little.
        state.counters["offered"] = static_cast<double>(cameras) * g_options.seconds * 1'000'000 / kDocumentIntervalUs;
        state.counters["pushed"] = static_cast<double>(figures.counts.pushed);
        state.counters["passed"] = static_cast<double>(figures.counts.passed);
        state.counters["dropped"] = static_cast<double>(figures.dropped);
        state.counters["refused"] = static_cast<double>(figures.counts.refused);
        state.counters["cpu_pct"] = 100 * figures.processorShare;
        state.counters["cores_pct"] = 100 * figures.processorShare / std::thread::hardware_concurrency();
        state.counters["threads"] = figures.atEnd.threads;
        state.counters["rss_MiB"] = static_cast<double>(figures.atEnd.residentBytes) / kMiB;
        state.counters["lag_p50_ms"] = figures.lags.percentileUs(0.5) / 1000;
        state.counters["lag_p99_ms"] = figures.lags.percentileUs(0.99) / 1000;
        state.counters["push_p50_us"] = figures.pushCalls.percentileUs(0.5);
        state.counters["push_p99_us"] = figures.pushCalls.percentileUs(0.99);
        state.counters["idle_thr_per_agent"] = run.idleCost().threadsPerAgent;
        state.counters["idle_KiB_per_agent"] = run.idleCost().residentBytesPerAgent / 1024;
    }
}

BENCHMARK(loadOfCameras)
    ->ArgName("cameras")
    ->RangeMultiplier(2)
    ->Range(8, 512)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

void printSoakLine(
    const char* when, const LoadCounts& counts, int liveObjects, std::chrono::steady_clock::duration longestLag)
{
    const ProcessFigures figures = processFigures();
    std::printf("%-8s %10lld %10lld %10lld %9.1f %8d %12d %13.1f\n", when, static_cast<long long>(counts.pushed),
        static_cast<long long>(counts.passed), static_cast<long long>(counts.pushed - counts.refused - counts.passed),
        static_cast<double>(figures.residentBytes) / kMiB, figures.threads, liveObjects,
        std::chrono::duration<double, std::milli>(longestLag).count());
    std::fflush(stdout);
}

int soak()
{
    std::printf("soak: %d cameras, 30 documents/s of %d objects each, %d minutes\n", g_options.soakCameras,
        kObjectsPerDocument, g_options.soakMinutes);
    std::printf("%-8s %10s %10s %10s %9s %8s %12s %13s\n", "minute", "pushed", "passed", "not passed", "RSS MiB",
        "threads", "live objects", "lag max ms");
    LoadRun run(*g_session, g_options.soakCameras, crowdedDocument());
    printSoakLine("0", run.counts(), g_session->liveObjectCount(), std::chrono::steady_clock::duration{});
    run.start();
    for (int minute = 1; minute <= g_options.soakMinutes; ++minute)
    {
        std::this_thread::sleep_for(std::chrono::minutes(1));
        printSoakLine(std::to_string(minute).c_str(), run.counts(), g_session->liveObjectCount(), run.takeLongestLag());
    }
    const LoadFigures figures = run.stop();
    std::printf(
        "end: %lld pushed, %lld passed, %lld dropped, %lld refused; lag p50 %.2f ms, p99 %.2f ms; "
        "push call p50 %.0f us, p99 %.0f us\n",
        static_cast<long long>(figures.counts.pushed), static_cast<long long>(figures.counts.passed),
        static_cast<long long>(figures.dropped), static_cast<long long>(figures.counts.refused),
        figures.lags.percentileUs(0.5) / 1000, figures.lags.percentileUs(0.99) / 1000,
        figures.pushCalls.percentileUs(0.5), figures.pushCalls.percentileUs(0.99));
    return 0;
}

} // namespace

} // namespace tesh::bench

int main(int argc, char** argv)
{
    using namespace tesh::bench;
    takeOptions(&argc, argv);
    try
    {
        // A set of every live object, as qvhost keeps for its leak report, would cost this process about a tenth of
        // its processor time at 128 cameras: the host here counts the objects, which is what the soak reports.
        qvhost::PluginSession session(QV_PLUGIN_LIBRARY, host_kit::RegistryDetail::counts);
        g_session = &session;
        if (g_options.soakMinutes > 0)
            return soak();
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            return 2;
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    catch (const qvhost::HostError& error)
    {
        std::fprintf(stderr, "load_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
