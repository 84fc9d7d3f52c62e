// Benchmarks of the metadata path, from the bare rapidxml parse to a whole pass of the agent, ending with a table
// of their ratios to the bare parse of the same run.
#include <chrono>
#include <cstring>
#include <ctime>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <rapidxml/rapidxml.hpp>

#include <metadata/markup_scan.h>
#include <metadata/metadata_parser.h>
#include <metadata/parse_metadata_stream.h>
#include <tesh/kit/debug.h>
#include <tesh/kit/platform_thread.h>
#include <tesh/kit/thread_pool.h>
#include <tesh/sdk/helpers/print_prefix.h>

#include "agent_rig.h"
#include "camera_document.h"
#include "capturing_reporter.h"
#include "ratio_table.h"

namespace tesh::bench {

namespace {

using vms_server_plugins::analytics::qv::kMaxDocumentNesting;
using vms_server_plugins::analytics::qv::MetadataParser;
using vms_server_plugins::analytics::qv::parseMetadataStream;
using vms_server_plugins::analytics::qv::ParseStack;
using vms_server_plugins::analytics::qv::scanMarkup;

/** One object, a busy scene and a crowded one. */
const std::vector<int> kObjectCounts = {1, 10, 50};

/** The flags the library parses with, so that the bare parse does the same work on the same text. */
constexpr int kParseFlags = rapidxml::parse_trim_whitespace | rapidxml::parse_normalize_whitespace;

/**
 * Other work on a shared machine comes and goes within a run: the median of several repetitions rides over it
 * better than one long measurement.
 */
constexpr int kRepetitions = 5;

/**
 * Each measured push or pass waits for a whole pass before the next one, so the run length is set by a count of
 * passes rather than by measured time: enough for a stable mean, a few seconds per benchmark on two processors.
 */
constexpr benchmark::IterationCount kPassIterations = 2000;

/** Enough hand-offs for a stable mean, each waited for, in about a second per repetition. */
constexpr benchmark::IterationCount kHandOffIterations = 20000;

/** Enough lines for a stable mean, few enough to keep the log that the standard error goes to small. */
constexpr benchmark::IterationCount kLogLineIterations = 20000;

int objectCountOf(const benchmark::State& state)
{
    return static_cast<int>(state.range(0));
}

/** The document must read back whole, or the benchmarks would time the rejection of a bad document. */
bool readsWhole(const std::string& document, int objectCount)
{
    MetadataParser parser;
    const auto parsed = parser.parse(document.data(), static_cast<int>(document.size()));
    return parsed && static_cast<int>(parsed->objects.size()) == objectCount
        && static_cast<int>(parsed->events.size()) == kEventsPerDocument;
}

/** A reused, zero-terminated copy of the document, refreshed the way the agent's parser refreshes its own. */
class TextBuffer
{
public:
    explicit TextBuffer(const std::string& document): m_document(document), m_text(document.size() + 1) {}

    char* refresh()
    {
        std::memcpy(m_text.data(), m_document.data(), m_document.size());
        m_text[m_document.size()] = '\0';
        return m_text.data();
    }

private:
    const std::string& m_document;
    std::vector<char> m_text;
};

std::string documentFor(benchmark::State& state)
{
    std::string document = cameraDocument(objectCountOf(state));
    if (!readsWhole(document, objectCountOf(state)))
        state.SkipWithError("the generated document does not read back whole");
    state.counters["bytes"] = static_cast<double>(document.size());
    return document;
}

void setBytesProcessed(benchmark::State& state, const std::string& document)
{
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(document.size()));
}

double secondsOf(AgentRig::Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

/** Only the thread's own clock tells its work apart from the time it spent preempted or blocked. */
std::chrono::nanoseconds threadProcessorTime()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

void bareRapidxmlParse(benchmark::State& state)
{
    const std::string document = documentFor(state);
    TextBuffer text(document);
    // The document embeds a 64 KiB pool: on the heap, as the library keeps it.
    const auto xml = std::make_unique<rapidxml::xml_document<char>>();
    for (auto _: state)
    {
        char* const data = text.refresh();
        xml->clear();
        xml->parse<kParseFlags>(data);
        benchmark::DoNotOptimize(xml->first_node());
    }
    setBytesProcessed(state, document);
}

void metadataParserParse(benchmark::State& state)
{
    const std::string document = documentFor(state);
    MetadataParser parser;
    for (auto _: state)
    {
        auto parsed = parser.parse(document.data(), static_cast<int>(document.size()));
        benchmark::DoNotOptimize(parsed.get());
    }
    setBytesProcessed(state, document);
}

void parseMetadataStreamOn(benchmark::State& state, ParseStack stack)
{
    const std::string document = documentFor(state);
    TextBuffer text(document);
    const auto xml = std::make_unique<rapidxml::xml_document<char>>();
    for (auto _: state)
    {
        auto parsed = parseMetadataStream(text.refresh(), document.size(), *xml, stack);
        benchmark::DoNotOptimize(parsed.get());
    }
    setBytesProcessed(state, document);
}

void parseMetadataStreamCall(benchmark::State& state)
{
    parseMetadataStreamOn(state, ParseStack::unknown);
}

/** main() runs the benchmarks on a thread with the stack of a pass worker. */
void parseMetadataStreamOnADeepStack(benchmark::State& state)
{
    parseMetadataStreamOn(state, ParseStack::deep);
}

void nestingScan(benchmark::State& state)
{
    const std::string document = documentFor(state);
    for (auto _: state)
        benchmark::DoNotOptimize(scanMarkup(document.data(), document.size(), kMaxDocumentNesting));
    setBytesProcessed(state, document);
}

void agentPushCall(benchmark::State& state)
{
    AgentRig rig(documentFor(state));
    if (!rig.warmUp())
        state.SkipWithError("the agent did not run its warm-up passes");
    std::chrono::nanoseconds processorTime{0};
    for (auto _: state)
    {
        const std::chrono::nanoseconds processorStart = threadProcessorTime();
        const AgentRig::Clock::time_point start = AgentRig::Clock::now();
        const bool pushed = rig.push();
        state.SetIterationTime(secondsOf(AgentRig::Clock::now() - start));
        processorTime += threadProcessorTime() - processorStart;
        // Waiting for the pass keeps the next push an admitted one; the wait is not part of the push call.
        if (!pushed || !rig.awaitPass())
        {
            state.SkipWithError("a push failed, or its pass did not deliver as in the warm-up");
            break;
        }
    }
    state.counters["packets"] = static_cast<double>(rig.packetsPerPass());
    state.counters[kPushCpuCounter] = benchmark::Counter(
        std::chrono::duration<double, std::micro>(processorTime).count(), benchmark::Counter::kAvgIterations);
}

/** Each push finds a pass under way, so the pushing thread parses the document to tell whether it waits. */
void agentBusyPushCall(benchmark::State& state)
{
    AgentRig rig(documentFor(state));
    if (!rig.warmUp() || !rig.startHeldPass())
        state.SkipWithError("the agent did not run its warm-up passes, or did not start a held one");
    for (auto _: state)
    {
        const AgentRig::Clock::time_point start = AgentRig::Clock::now();
        const bool pushed = rig.push();
        state.SetIterationTime(secondsOf(AgentRig::Clock::now() - start));
        if (!pushed)
        {
            state.SkipWithError("a push failed");
            break;
        }
    }
    if (!rig.releaseHeldPasses())
        state.SkipWithError("the held passes did not end");
}

void agentWholePass(benchmark::State& state)
{
    AgentRig rig(documentFor(state));
    if (!rig.warmUp())
        state.SkipWithError("the agent did not run its warm-up passes");
    for (auto _: state)
    {
        const AgentRig::Clock::time_point start = AgentRig::Clock::now();
        const std::optional<AgentRig::Clock::time_point> lastDelivery = rig.push() ? rig.awaitPass() : std::nullopt;
        if (!lastDelivery)
        {
            state.SkipWithError("a push failed, or its pass did not deliver as in the warm-up");
            break;
        }
        state.SetIterationTime(secondsOf(*lastDelivery - start));
    }
    state.counters["packets"] = static_cast<double>(rig.packetsPerPass());
}

void poolEnqueueCall(benchmark::State& state)
{
    kit::ThreadPool pool(1);
    for (auto _: state)
    {
        const AgentRig::Clock::time_point start = AgentRig::Clock::now();
        std::future<void> done = pool.enqueue([]() {});
        state.SetIterationTime(secondsOf(AgentRig::Clock::now() - start));
        done.wait();
    }
}

void poolHandOffRoundTrip(benchmark::State& state)
{
    kit::ThreadPool pool(1);
    for (auto _: state)
        pool.enqueue([]() {}).wait();
}

void agentLogLine(benchmark::State& state)
{
    const std::string prefix = sdk::makePrintPrefix("", "_device", true, "camera-1");
    for (auto _: state)
        kit::debug::printLine(prefix, "doPushDataPacket() BEGIN");
}

void registerDocumentBenchmark(const char* name, void (*function)(benchmark::State&), bool manualTime)
{
    benchmark::internal::Benchmark* benchmark = benchmark::RegisterBenchmark(name, function);
    benchmark->ArgName(kObjectsArgName)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(kRepetitions)
        ->DisplayAggregatesOnly(true);
    for (const int objectCount: kObjectCounts)
        benchmark->Arg(objectCount);
    if (manualTime)
        benchmark->UseManualTime()->Iterations(kPassIterations);
}

void registerBenchmarks()
{
    registerDocumentBenchmark(kBareParseName, bareRapidxmlParse, /*manualTime*/ false);
    registerDocumentBenchmark(kParserParseName, metadataParserParse, /*manualTime*/ false);
    registerDocumentBenchmark(kStreamParseName, parseMetadataStreamCall, /*manualTime*/ false);
    registerDocumentBenchmark(kDeepStreamParseName, parseMetadataStreamOnADeepStack, /*manualTime*/ false);
    registerDocumentBenchmark(kNestingScanName, nestingScan, /*manualTime*/ false);
    registerDocumentBenchmark(kPushCallName, agentPushCall, /*manualTime*/ true);
    registerDocumentBenchmark(kBusyPushCallName, agentBusyPushCall, /*manualTime*/ true);
    registerDocumentBenchmark(kWholePassName, agentWholePass, /*manualTime*/ true);
    benchmark::RegisterBenchmark(kEnqueueCallName, poolEnqueueCall)
        ->UseManualTime()
        ->Iterations(kHandOffIterations)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(kRepetitions)
        ->DisplayAggregatesOnly(true);
    benchmark::RegisterBenchmark(kHandOffName, poolHandOffRoundTrip)
        ->UseRealTime()
        ->Iterations(kHandOffIterations)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(kRepetitions)
        ->DisplayAggregatesOnly(true);
    benchmark::RegisterBenchmark(kLogLineName, agentLogLine)
        ->Iterations(kLogLineIterations)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(kRepetitions)
        ->DisplayAggregatesOnly(true);
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
    // On a stack as deep as a pass worker's, where (b'') parses as a pass does.
    tesh::kit::PlatformThread run([&reporter]() { benchmark::RunSpecifiedBenchmarks(&reporter); },
        tesh::vms_server_plugins::analytics::qv::kDeepParseStackBytes);
    run.join();
    tesh::bench::printRatioTable(reporter, tesh::bench::kObjectCounts, std::cout);
    benchmark::Shutdown();
    return 0;
}
