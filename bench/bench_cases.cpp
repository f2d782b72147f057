#include "bench_cases.h"

#include "VuzavovEro.h"
#include "engine/log_line.h"
#include "platform/platform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#ifdef VZV_BENCH_PEER
#include <spdlog/logger.h>
#include <spdlog/sinks/basic_file_sink.h>
#endif

namespace vzv::bench {

namespace {

namespace fs = std::filesystem;
using Log = Brivant::Service::VuzavovEro;

// The enabled cases log the same message; the floor writes a line of the
// same length.
constexpr char kFormat[] = "request %d from %s took %.3f ms";
constexpr wchar_t kWideFormat[] = L"request %d from %s took %.3f ms";
constexpr char kHost[] = "10.0.0.1";
constexpr wchar_t kWideHost[] = L"10.0.0.1";
constexpr char16_t kMessage[] = u"request 42 from 10.0.0.1 took 12.345 ms";
constexpr std::size_t kLongText = 1000;
// The library caps its file at this size; the floor keeps the same bound so
// that both write to files of similar size.
constexpr std::uint64_t kFileCap = 52428800;

constexpr double kMinTime = 0.5;
constexpr int kRepetitions = 9;

fs::path Scratch(const char* name) { return fs::current_path() / name; }

std::string LongText() {
    std::string text;
    while (text.size() < kLongText) text += "lorem ipsum dolor sit amet ";
    text.resize(kLongText);
    return text;
}

std::wstring WidePath(const fs::path& path) {
    const std::u16string text = path.u16string();
    return std::wstring(text.begin(), text.end());
}

// Points the library at its scratch log once and sets the level each case
// needs; the level change line is logged before the timing starts.
void UseOurLog(Log::eLOGLEVEL level) {
    static const bool placed = [] {
        Log::SetLogPath(WidePath(Scratch("vzv_bench_ours.log")).c_str());
        return true;
    }();
    (void)placed;
    Log::SetLogLevel(level);
}

// ---- Floor: the line already built, one write per line -----------------

void Floor(benchmark::State& state, std::size_t textUnits) {
    std::u16string line = FormatLinePrefix(2);
    if (textUnits == 0) {
        line += kMessage;
    } else {
        const std::string text = LongText();
        line.append(text.begin(), text.end());
    }
    line += kLineEnd;
    const auto bytes = static_cast<std::uint32_t>(line.size() * sizeof(char16_t));
    const std::u16string path = Scratch("vzv_bench_floor.log").u16string();
    const std::u16string old = path + u"_old";
    const auto open = [&] {
        return platform::OpenFile(path.c_str(), platform::kGenericWrite, platform::kFileShareRead,
                                  platform::kCreateAlways, platform::kFileAttributeNormal);
    };
    platform::FileHandle file = open();
    std::uint64_t written = 0;
    for (auto _ : state) {
        platform::WriteFile(file, line.data(), bytes);
        written += bytes;
        // At the cap the file moves aside as the library's does, in the
        // timing: what freeing and filling the page cache costs is the
        // same for both.
        if (written > kFileCap) {
            platform::CloseFile(file);
            platform::RemoveFile(old.c_str());
            platform::RenameFile(path.c_str(), old.c_str());
            file = open();
            written = 0;
        }
    }
    platform::CloseFile(file);
    state.SetItemsProcessed(state.iterations());
}

#ifdef VZV_BENCH_PEER
// ---- Peer: spdlog, a file sink flushed after every line ------------------

void Peer(benchmark::State& state) {
    auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(
        Scratch("vzv_bench_peer.log").string(), true);
    spdlog::logger logger("bench", sink);
    logger.set_pattern("%t | %y.%m.%d %H:%M:%S.%e |%L| %v");
    logger.set_level(spdlog::level::info);
    logger.flush_on(spdlog::level::trace);
    for (auto _ : state) logger.info("request {} from {} took {:.3f} ms", 42, kHost, 12.345);
    state.SetItemsProcessed(state.iterations());
}
#endif

// ---- Ours, enabled ---------------------------------------------------------

void InfoNarrow(benchmark::State& state) {
    if (state.thread_index() == 0) UseOurLog(Log::LOGLEVEL_INFO);
    for (auto _ : state) Log::Information(kFormat, 42, kHost, 12.345);
    state.SetItemsProcessed(state.iterations());
}

void InfoWide(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_INFO);
    for (auto _ : state) Log::Information(kWideFormat, 42, kWideHost, 12.345);
    state.SetItemsProcessed(state.iterations());
}

void VerboseLong(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_VERBOSE);
    const std::string text = LongText();
    for (auto _ : state) Log::Verbose(text.c_str());
    state.SetItemsProcessed(state.iterations());
}

void TracedScope(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_INFO);
    for (auto _ : state) {
        Log::LogCppCall call("handle request %d", 42);
        benchmark::DoNotOptimize(call);
    }
    state.SetItemsProcessed(state.iterations() * 2);  // start and end lines
}

// ---- Ours, disabled --------------------------------------------------------

void DisabledDebug(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_ERROR);
    for (auto _ : state) Log::Debug(kFormat, 42, kHost, 12.345);
    state.SetItemsProcessed(state.iterations());
}

void DisabledVerbose(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_ERROR);
    for (auto _ : state) Log::Verbose(kFormat, 42, kHost, 12.345);
    state.SetItemsProcessed(state.iterations());
}

void DisabledScope(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_ERROR);
    for (auto _ : state) {
        Log::LogCppCall call("handle request %d", 42);
        benchmark::DoNotOptimize(call);
    }
    state.SetItemsProcessed(state.iterations());
}

void LoggingOff(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_OFF);
    for (auto _ : state) Log::Information(kFormat, 42, kHost, 12.345);
    state.SetItemsProcessed(state.iterations());
}

// The cases in the order they are registered: the table's order.
std::vector<std::string> g_caseOrder;

template <typename Function>
void Register(const char* name, Function function, int threads = 1) {
    g_caseOrder.push_back(name);
    benchmark::RegisterBenchmark(name, function)
        ->Threads(threads)
        ->UseRealTime()
        ->MinTime(kMinTime)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
}

// What each case is compared with: the floor of a line of its length, the
// peer where it logs the same line, and one thread for the two-thread case.
struct Baselines {
    const char* floor;
    const char* peer;
    const char* other;
};
const std::map<std::string, Baselines> kBaselines = {
    {"floor/line", {nullptr, nullptr, nullptr}},
    {"floor/line_1000", {nullptr, nullptr, nullptr}},
    {"peer/spdlog", {"floor/line", nullptr, nullptr}},
    {"ours/info_narrow", {"floor/line", "peer/spdlog", nullptr}},
    {"ours/info_wide", {"floor/line", "peer/spdlog", nullptr}},
    {"ours/verbose_1000", {"floor/line_1000", nullptr, nullptr}},
    {"ours/traced_scope", {"floor/line", nullptr, nullptr}},
    {"ours/two_threads", {"floor/line", "peer/spdlog", "ours/info_narrow"}},
};

}  // namespace

void RegisterCases() {
    Register("floor/line", [](benchmark::State& s) { Floor(s, 0); });
    Register("floor/line_1000", [](benchmark::State& s) { Floor(s, kLongText); });
#ifdef VZV_BENCH_PEER
    Register("peer/spdlog", Peer);
#endif
    Register("ours/info_narrow", InfoNarrow);
    Register("ours/info_wide", InfoWide);
    Register("ours/verbose_1000", VerboseLong);
    Register("ours/traced_scope", TracedScope);
    Register("ours/two_threads", InfoNarrow, 2);
    Register("disabled/debug", DisabledDebug);
    Register("disabled/verbose", DisabledVerbose);
    Register("disabled/traced_scope", DisabledScope);
    Register("disabled/logging_off", LoggingOff);
}

void PrintTable(std::vector<Row> rows, bool ratiosOnly) {
    std::map<std::string, double> ns;
    for (const Row& row : rows) ns[row.name] = row.nsPerItem;
    // In the order the cases are registered, however the runs were shuffled.
    const auto order = [](const std::string& name) {
        const auto at = std::find(g_caseOrder.begin(), g_caseOrder.end(), name);
        return at - g_caseOrder.begin();
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const Row& a, const Row& b) { return order(a.name) < order(b.name); });
    const auto ratio = [&](const char* base, double value) -> std::string {
        if (base == nullptr || ns.count(base) == 0) return "";
        char text[32];
        std::snprintf(text, sizeof text, "%.2fx", value / ns[base]);
        return text;
    };
    std::printf("\n%-24s %12s %12s %12s %14s\n", "case (medians)", ratiosOnly ? "" : "ns/line",
                "vs floor", "vs spdlog", "vs 1 thread");
    for (const Row& row : rows) {
        const auto found = kBaselines.find(row.name);
        const Baselines base = found != kBaselines.end() ? found->second
                                                         : Baselines{nullptr, nullptr, nullptr};
        const bool disabled = found == kBaselines.end();
        char time[32] = "";
        if (!ratiosOnly) std::snprintf(time, sizeof time, "%.1f", row.nsPerItem);
        std::printf("%-24s %12s %12s %12s %14s\n", row.name.c_str(), time,
                    ratio(disabled ? "floor/line" : base.floor, row.nsPerItem).c_str(),
                    ratio(base.peer, row.nsPerItem).c_str(), ratio(base.other, row.nsPerItem).c_str());
    }
    std::printf("(disabled cases: ns per call. two threads: total throughput, lines of both threads;"
                " below 1.00x means more lines per second than one thread.)\n");
}

void RemoveScratchFiles() {
    std::error_code ignored;
    for (const char* name : {"vzv_bench_ours.log", "vzv_bench_ours.log_old", "vzv_bench_floor.log",
                             "vzv_bench_floor.log_old", "vzv_bench_peer.log"})
        fs::remove(Scratch(name), ignored);
}

}  // namespace vzv::bench
