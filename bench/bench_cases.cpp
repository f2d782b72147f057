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

#ifndef VZV_BENCH_COMPAT
#include <unistd.h>
#endif

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

constexpr double kMinTime = 0.15;
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

// The floor's file stays open from one repetition to the next and grows
// towards the cap, as the library's log does: both then pay for moving a full
// file aside equally often, in the timing.
struct FloorFile {
    platform::FileHandle handle = platform::kInvalidFile;
    std::uint64_t written = 0;
};
std::map<std::string, FloorFile> g_floorFiles;

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
    const std::string name = "vzv_bench_floor_" + std::to_string(textUnits) + ".log";
    const std::u16string path = Scratch(name.c_str()).u16string();
    const std::u16string old = path + u"_old";
    FloorFile& file = g_floorFiles[name];
    const auto open = [&] {
        file.handle = platform::OpenFile(path.c_str(), platform::kGenericWrite,
                                         platform::kFileShareRead, platform::kCreateAlways,
                                         platform::kFileAttributeNormal);
        file.written = 0;
    };
    if (file.handle == platform::kInvalidFile) open();
    for (auto _ : state) {
        platform::WriteFile(file.handle, line.data(), bytes);
        file.written += bytes;
        // At the cap the file moves aside as the library's does.
        if (file.written > kFileCap) {
            platform::CloseFile(file.handle);
            platform::RemoveFile(old.c_str());
            platform::RenameFile(path.c_str(), old.c_str());
            open();
        }
    }
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

#ifndef VZV_BENCH_COMPAT
// Before each repetition: what earlier repetitions left dirty in the page
// cache is written out, so that no repetition pays for another's writeback.
void WriteBackFiles(const benchmark::State&) { ::sync(); }
#endif

void Register(const char* name, void (*function)(benchmark::State&), int threads) {
    auto* const benchmark = benchmark::RegisterBenchmark(name, function);
#ifndef VZV_BENCH_COMPAT
    benchmark->Setup(WriteBackFiles);
#endif
    benchmark->Threads(threads)
        ->UseRealTime()
        ->MinTime(kMinTime)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
}

void FloorLine(benchmark::State& state) { Floor(state, 0); }
void FloorLongLine(benchmark::State& state) { Floor(state, kLongText); }

// Every case, in the table's order.
struct Case {
    const char* name;
    void (*function)(benchmark::State&);
    int threads;
};
const Case kCases[] = {
    {"floor/line", FloorLine, 1},
    {"floor/line_1000", FloorLongLine, 1},
#ifdef VZV_BENCH_PEER
    {"peer/spdlog", Peer, 1},
#endif
    {"ours/info_narrow", InfoNarrow, 1},
    {"ours/info_wide", InfoWide, 1},
    {"ours/verbose_1000", VerboseLong, 1},
    {"ours/traced_scope", TracedScope, 1},
    {"ours/two_threads", InfoNarrow, 2},
    {"disabled/debug", DisabledDebug, 1},
    {"disabled/verbose", DisabledVerbose, 1},
    {"disabled/traced_scope", DisabledScope, 1},
    {"disabled/logging_off", LoggingOff, 1},
};

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
    for (const Case& c : kCases) Register(c.name, c.function, c.threads);
}

void PrintTable(const std::vector<std::vector<Row>>& runs, bool ratiosOnly) {
    std::vector<std::map<std::string, double>> ns(runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i)
        for (const Row& row : runs[i]) ns[i][row.name] = row.nsPerItem;
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        const std::size_t n = values.size();
        return n == 0 ? 0.0 : n % 2 != 0 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    };
    // A case's ratio to a baseline in each process that ran both.
    const auto ratios = [&](const std::string& name, const char* base) {
        std::vector<double> values;
        if (base == nullptr) return values;
        for (const auto& times : ns)
            if (times.count(name) != 0 && times.count(base) != 0)
                values.push_back(times.at(name) / times.at(base));
        return values;
    };
    const auto text = [&](const std::vector<double>& values) -> std::string {
        if (values.empty()) return "";
        char out[32];
        std::snprintf(out, sizeof out, "%.2fx", median(values));
        return out;
    };
    const bool several = runs.size() > 1;
    if (several)
        std::printf("\nMedians of %zu processes; vs floor per process on the right.", runs.size());
    std::printf("\n%-24s %12s %12s %12s %14s  %s\n", "case (medians)", ratiosOnly ? "" : "ns/line",
                "vs floor", "vs spdlog", "vs 1 thread", several ? "vs floor, each process" : "");
    // In the order the cases are registered, however the runs were shuffled.
    for (const Case& c : kCases) {
        const std::string name = c.name;
        std::vector<double> times;
        for (const auto& run : ns)
            if (run.count(name) != 0) times.push_back(run.at(name));
        if (times.empty()) continue;
        const auto found = kBaselines.find(name);
        const bool disabled = found == kBaselines.end();
        const Baselines base = disabled ? Baselines{"floor/line", nullptr, nullptr} : found->second;
        char time[32] = "";
        if (!ratiosOnly) std::snprintf(time, sizeof time, "%.1f", median(times));
        const std::vector<double> vsFloor = ratios(name, base.floor);
        std::string each;
        if (several && !disabled)
            for (const double ratio : vsFloor) {
                char one[16];
                std::snprintf(one, sizeof one, " %.2f", ratio);
                each += one;
            }
        std::printf("%-24s %12s %12s %12s %14s %s\n", name.c_str(), time,
                    text(vsFloor).c_str(), text(ratios(name, base.peer)).c_str(),
                    text(ratios(name, base.other)).c_str(), each.c_str());
    }
    std::printf("(disabled cases: ns per call. two threads: total throughput, lines of both threads;"
                " below 1.00x means more lines per second than one thread.)\n");
}

void RemoveScratchFiles() {
    std::error_code ignored;
    for (auto& [name, file] : g_floorFiles) {
        if (file.handle != platform::kInvalidFile) platform::CloseFile(file.handle);
        fs::remove(Scratch(name.c_str()), ignored);
        fs::remove(Scratch((name + "_old").c_str()), ignored);
    }
    g_floorFiles.clear();
    for (const char* name : {"vzv_bench_ours.log", "vzv_bench_ours.log_old", "vzv_bench_peer.log"})
        fs::remove(Scratch(name), ignored);
}

}  // namespace vzv::bench
