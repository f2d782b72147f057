// The library's line costs against two baselines, on Google Benchmark: the
// floor (the finished line written with one write call, the least a line can
// cost) and spdlog writing the same message with a flush after every line.
// Every case runs its repetitions shuffled with all the others', so a case
// and its baselines are measured over the same stretches of a noisy machine,
// and is timed in the thread's CPU time (system calls included), which other
// processes taking turns on the CPU do not lengthen. The table gives the
// medians and their ratios. Google Benchmark's own options are passed on
// (--benchmark_filter, ...).
#include "VuzavovEro.h"
#include "engine/log_line.h"
#include "platform/platform.h"

#include <benchmark/benchmark.h>
#include <spdlog/logger.h>
#include <spdlog/sinks/basic_file_sink.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Log = Brivant::Service::VuzavovEro;
using vzv::platform::FileHandle;

constexpr char kFormat[] = "request %d from %s took %.3f ms";
constexpr wchar_t kWideFormat[] = L"request %d from %s took %.3f ms";
constexpr char16_t kMessage[] = u"request 42 from 10.0.0.1 took 12.345 ms";
constexpr std::size_t kLongText = 1000;
// The library moves its log aside at this size; the floor does the same.
constexpr std::uint64_t kFileCap = 52428800;
constexpr int kRepetitions = 30;
constexpr double kMinTime = 0.2;

const char* const kScratch[] = {"bench_ours.log", "bench_ours.log_old", "bench_peer.log",
                                "bench_floor_0.log", "bench_floor_0.log_old",
                                "bench_floor_1000.log", "bench_floor_1000.log_old"};

std::string LongText() {
    std::string text;
    while (text.size() < kLongText) text += "lorem ipsum dolor sit amet ";
    text.resize(kLongText);
    return text;
}

// Points the library at its scratch log and sets the level a case needs.
void UseOurLog(Log::eLOGLEVEL level) {
    static const bool placed = [] {
        const std::u16string path = (fs::current_path() / kScratch[0]).u16string();
        Log::SetLogPath(std::wstring(path.begin(), path.end()).c_str());
        return true;
    }();
    (void)placed;
    Log::SetLogLevel(level);
}

// The floor: a line of the same length, prefix included, already built. Its
// file stays open across repetitions and is moved aside at the cap, inside
// the timing, as the library's is.
void Floor(benchmark::State& state, std::size_t textUnits) {
    char16_t prefix[vzv::kMaxPrefixUnits];
    std::u16string line(prefix, vzv::PutLinePrefix(prefix, 2, vzv::platform::CurrentThreadId()));
    if (textUnits == 0) {
        line += kMessage;
    } else {
        const std::string text = LongText();
        line.append(text.begin(), text.end());
    }
    line += vzv::kLineEnd;
    const auto bytes = static_cast<std::uint32_t>(line.size() * sizeof(char16_t));
    const std::string name = "bench_floor_" + std::to_string(textUnits) + ".log";
    const std::u16string path = (fs::current_path() / name).u16string();
    const std::u16string old = path + u"_old";
    static std::map<std::string, std::pair<FileHandle, std::uint64_t>> files;
    auto& [file, written] = files.try_emplace(name, vzv::platform::kInvalidFile, 0).first->second;
    const auto open = [&] {
        file = vzv::platform::OpenFile(path.c_str(), vzv::platform::kGenericWrite,
                                       vzv::platform::kFileShareRead, vzv::platform::kCreateAlways,
                                       vzv::platform::kFileAttributeNormal);
        written = 0;
    };
    if (file == vzv::platform::kInvalidFile) open();
    for (auto _ : state) {
        vzv::platform::WriteFile(file, line.data(), bytes);
        written += bytes;
        if (written > kFileCap) {
            vzv::platform::CloseFile(file);
            vzv::platform::RemoveFile(old.c_str());
            vzv::platform::RenameFile(path.c_str(), old.c_str());
            open();
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void FloorLine(benchmark::State& state) { Floor(state, 0); }
void FloorLongLine(benchmark::State& state) { Floor(state, kLongText); }

// spdlog 1.10, a file sink flushed after every line: one write call per line.
void Spdlog(benchmark::State& state) {
    auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(kScratch[2], true);
    spdlog::logger logger("bench", sink);
    logger.set_pattern("%t | %y.%m.%d %H:%M:%S.%e |%L| %v");
    logger.flush_on(spdlog::level::trace);
    for (auto _ : state) logger.info("request {} from {} took {:.3f} ms", 42, "10.0.0.1", 12.345);
    state.SetItemsProcessed(state.iterations());
}

void InfoNarrow(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_INFO);
    for (auto _ : state) Log::Information(kFormat, 42, "10.0.0.1", 12.345);
    state.SetItemsProcessed(state.iterations());
}

void InfoWide(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_INFO);
    for (auto _ : state) Log::Information(kWideFormat, 42, L"10.0.0.1", 12.345);
    state.SetItemsProcessed(state.iterations());
}

void VerboseLong(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_VERBOSE);
    const std::string text = LongText();
    for (auto _ : state) Log::Verbose(text.c_str());
    state.SetItemsProcessed(state.iterations());
}

// A traced scope at `level`: two calls into the library, its constructor
// and destructor, and two lines when it logs.
template <Log::eLOGLEVEL level>
void Scope(benchmark::State& state) {
    UseOurLog(level);
    for (auto _ : state) {
        Log::LogCppCall call("handle request %d", 42);
        benchmark::DoNotOptimize(call);
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

// Calls the level drops: `level` is the library's, the call is `method`.
template <Log::eLOGLEVEL level, void (*method)(const char*, ...)>
void Dropped(benchmark::State& state) {
    UseOurLog(level);
    for (auto _ : state) method(kFormat, 42, "10.0.0.1", 12.345);
    state.SetItemsProcessed(state.iterations());
}

struct Case {
    const char* name;
    void (*function)(benchmark::State&);
    const char* floor;  // baselines for the ratios, or null
    const char* peer;
};
const Case kCases[] = {
    {"floor", FloorLine, nullptr, nullptr},
    {"floor_1000", FloorLongLine, nullptr, nullptr},
    {"spdlog", Spdlog, "floor", nullptr},
    {"information", InfoNarrow, "floor", "spdlog"},
    {"information_wide", InfoWide, "floor", "spdlog"},
    {"verbose_1000", VerboseLong, "floor_1000", nullptr},
    {"traced_scope", Scope<Log::LOGLEVEL_INFO>, "floor", nullptr},
    {"dropped_debug", Dropped<Log::LOGLEVEL_ERROR, Log::Debug>, nullptr, nullptr},
    {"dropped_information_off", Dropped<Log::LOGLEVEL_OFF, Log::Information>, nullptr, nullptr},
    {"dropped_traced_scope", Scope<Log::LOGLEVEL_ERROR>, nullptr, nullptr},
};

// Keeps the median and the coefficient of variation of each case.
class TableReporter : public benchmark::BenchmarkReporter {
public:
    struct Figures {
        double ns = 0;
        double cv = 0;
    };
    std::map<std::string, Figures> cases;

    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto items = run.counters.find("items_per_second");
            if (run.run_type != Run::RT_Aggregate || items == run.counters.end()) continue;
            Figures& figures = cases[run.run_name.function_name];
            if (run.aggregate_name == "median") figures.ns = 1e9 / items->second.value;
            if (run.aggregate_name == "cv") figures.cv = items->second.value;
        }
    }
};

void PrintTable(const std::map<std::string, TableReporter::Figures>& cases) {
    const auto ratio = [&](const char* base, double ns) -> std::string {
        const auto found = base != nullptr ? cases.find(base) : cases.end();
        if (found == cases.end()) return "";
        char text[16];
        std::snprintf(text, sizeof text, "%.2fx", ns / found->second.ns);
        return text;
    };
    std::printf("%-24s %10s %6s %9s %9s\n", "case", "ns/line", "cv", "vs floor", "vs spdlog");
    for (const Case& c : kCases) {
        const auto found = cases.find(c.name);
        if (found == cases.end()) continue;
        const auto [ns, cv] = found->second;
        std::printf("%-24s %10.1f %5.1f%% %9s %9s\n", c.name, ns, cv * 100,
                    ratio(c.floor, ns).c_str(), ratio(c.peer, ns).c_str());
    }
    std::printf("(CPU time, system calls included; medians of %d repetitions; dropped calls: "
                "ns per call)\n", kRepetitions);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    for (const Case& c : kCases)
        benchmark::RegisterBenchmark(c.name, c.function)
            ->MinTime(kMinTime)
            ->Repetitions(kRepetitions)
            ->ReportAggregatesOnly(true)
            // No repetition pays for the writeback of another's lines.
            ->Setup([](const benchmark::State&) { ::sync(); });
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintTable(reporter.cases);
    for (const char* name : kScratch) std::remove(name);
    return 0;
}
