// The library's line costs against two baselines, on Google Benchmark: the
// floor (the finished line written with one write call, the least a line can
// cost) and spdlog writing the same message with a flush after every line;
// for threads also two floors of two threads sharing one log.
// Every case runs its repetitions shuffled with all the others', so a case
// and its baselines are measured over the same stretches of a noisy machine.
// One-thread cases are timed in the thread's CPU time (system calls
// included), which other processes taking turns on the CPU do not lengthen;
// the thread cases, 1 to 8 threads writing to one log, in wall time, all
// threads' lines together. The tables give the medians, their ratios and the
// targets met. Google Benchmark's own options are passed on
// (--benchmark_filter, ...).
#include "VuzavovEro.h"
#include "engine/log_line.h"
#include "platform/platform.h"

#include <benchmark/benchmark.h>
#include <spdlog/logger.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <thread>
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
                                "bench_peer_threads.log",
                                "bench_floor_0.log", "bench_floor_0.log_old",
                                "bench_floor_1000.log", "bench_floor_1000.log_old",
                                "bench_floor_handover.log", "bench_floor_handover.log_old",
                                "bench_floor_alternating.log", "bench_floor_alternating.log_old"};

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

// The finished line of the floor: the prefix, the case's text and CR LF.
std::u16string FinishedLine(std::size_t textUnits) {
    char16_t prefix[vzv::kMaxPrefixUnits];
    std::u16string line(prefix, vzv::PutLinePrefix(prefix, 2, vzv::platform::CurrentThreadId()));
    if (textUnits == 0) {
        line += kMessage;
    } else {
        const std::string text = LongText();
        line.append(text.begin(), text.end());
    }
    return line + vzv::kLineEnd;
}

// A floor's file, kept open across repetitions and moved aside at the cap,
// inside the timing, as the library's log is.
class FloorFile {
public:
    explicit FloorFile(const std::string& name)
        : m_path((fs::current_path() / name).u16string()), m_old(m_path + u"_old") {
        Open();
    }

    void Write(const char16_t* line, std::uint32_t bytes) noexcept {
        vzv::platform::WriteFile(m_file, line, bytes);
        m_written += bytes;
        if (m_written > kFileCap) {
            vzv::platform::CloseFile(m_file);
            vzv::platform::RemoveFile(m_old.c_str());
            vzv::platform::RenameFile(m_path.c_str(), m_old.c_str());
            Open();
        }
    }

private:
    void Open() noexcept {
        m_file = vzv::platform::OpenFile(m_path.c_str(), vzv::platform::kGenericWrite,
                                         vzv::platform::kFileShareRead,
                                         vzv::platform::kCreateAlways,
                                         vzv::platform::kFileAttributeNormal);
        m_written = 0;
    }

    std::u16string m_path;
    std::u16string m_old;
    FileHandle m_file = vzv::platform::kInvalidFile;
    std::uint64_t m_written = 0;
};

FloorFile& FloorFileNamed(const std::string& name) {
    static std::map<std::string, FloorFile> files;
    return files.try_emplace(name, name).first->second;
}

// The floor: a line of the same length, prefix included, already built,
// written with one write call.
void Floor(benchmark::State& state, std::size_t textUnits) {
    const std::u16string line = FinishedLine(textUnits);
    const auto bytes = static_cast<std::uint32_t>(line.size() * sizeof(char16_t));
    FloorFile& file = FloorFileNamed("bench_floor_" + std::to_string(textUnits) + ".log");
    for (auto _ : state) file.Write(line.data(), bytes);
    state.SetItemsProcessed(state.iterations());
}

void FloorLine(benchmark::State& state) { Floor(state, 0); }
void FloorLongLine(benchmark::State& state) { Floor(state, kLongText); }

// spdlog 1.10, a file sink flushed after every line: one write call per line.
std::shared_ptr<spdlog::logger> MakePeer(const char* file) {
    auto logger = std::make_shared<spdlog::logger>(
        "bench", std::make_shared<spdlog::sinks::basic_file_sink_mt>(file, true));
    logger->set_pattern("%t | %y.%m.%d %H:%M:%S.%e |%L| %v");
    logger->flush_on(spdlog::level::trace);
    return logger;
}

void Spdlog(benchmark::State& state) {
    const auto logger = MakePeer(kScratch[2]);
    for (auto _ : state) logger->info("request {} from {} took {:.3f} ms", 42, "10.0.0.1", 12.345);
    state.SetItemsProcessed(state.iterations());
}

// spdlog's call that its level drops, as its own free functions make it:
// spdlog::debug asks its library for the default logger, whose level check
// is then compiled into the caller.
void SpdlogDropped(benchmark::State& state) {
    const auto logger = MakePeer(kScratch[2]);
    logger->set_level(spdlog::level::info);
    spdlog::set_default_logger(logger);
    for (auto _ : state) spdlog::debug("request {} from {} took {:.3f} ms", 42, "10.0.0.1", 12.345);
    state.SetItemsProcessed(state.iterations());
    spdlog::set_default_logger(nullptr);
}

// The same call on a logger object held by the caller: only the level
// check, compiled into the caller, which no call into a library can match.
void SpdlogDroppedInline(benchmark::State& state) {
    const auto logger = MakePeer(kScratch[2]);
    logger->set_level(spdlog::level::info);
    for (auto _ : state) logger->debug("request {} from {} took {:.3f} ms", 42, "10.0.0.1", 12.345);
    state.SetItemsProcessed(state.iterations());
}

// The thread cases: every thread of a run writes to one log, the library's
// or one spdlog logger, made by the first thread before the start, which
// all threads pass together. Each thread reports the run's whole wall time,
// from that start until the last thread's last call has returned, so the
// figure is all threads' lines over the run's time. (Google Benchmark would
// average each thread's own time instead, which flatters a lock that lets
// one thread finish early while the others wait.)
std::atomic<int> g_threadsRunning{0};

template <class Call>
void EveryThread(benchmark::State& state, Call call) {
    using Clock = std::chrono::steady_clock;
    if (state.thread_index() == 0) g_threadsRunning = state.threads();
    Clock::time_point start;
    benchmark::IterationCount done = 0;
    for (auto _ : state) {
        if (done == 0) start = Clock::now();
        call();
        if (++done < state.max_iterations) {
            state.SetIterationTime(0);
            continue;
        }
        g_threadsRunning.fetch_sub(1);
        // Sleeps, so that the threads still writing have both cores.
        while (g_threadsRunning.load() > 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.SetItemsProcessed(state.iterations());
}

// The least that handing lines between threads costs on the machine: one
// thread copies the finished line into a free slot, the other writes each
// slot with one write call, as the floor does. No lock, no formatting, and
// the builder never waits for its line to be written, as a logging call
// must: the library's thread cases cannot beat it.
struct alignas(64) Slot {
    std::atomic<bool> full{false};
    char16_t line[vzv::kMaxPrefixUnits + std::size(kMessage) + 2];
};
Slot g_slots[4];

void FloorHandOver(benchmark::State& state) {
    const std::u16string line = FinishedLine(0);
    const auto bytes = static_cast<std::uint32_t>(line.size() * sizeof(char16_t));
    FloorFile* file = state.thread_index() == 0 ? &FloorFileNamed("bench_floor_handover.log")
                                                : nullptr;
    const bool writer = file != nullptr;
    std::size_t next = 0;
    EveryThread(state, [&] {
        Slot& slot = g_slots[next++ % std::size(g_slots)];
        while (slot.full.load(std::memory_order_acquire) != writer) vzv::platform::SpinPause();
        if (writer) file->Write(slot.line, bytes);
        else std::copy(line.begin(), line.end(), slot.line);
        slot.full.store(!writer, std::memory_order_release);
    });
    // Only the writer's calls are lines.
    if (!writer) state.SetItemsProcessed(0);
}

// The other way two threads can share one log: they take turns, each
// writing its own finished line, so the writing processor alternates.
std::atomic<std::uint64_t> g_turn{0};

void FloorAlternating(benchmark::State& state) {
    const std::u16string line = FinishedLine(0);
    const auto bytes = static_cast<std::uint32_t>(line.size() * sizeof(char16_t));
    FloorFile& file = FloorFileNamed("bench_floor_alternating.log");
    if (state.thread_index() == 0) g_turn = 0;  // before the start both pass together
    std::uint64_t turn = static_cast<std::uint64_t>(state.thread_index());
    EveryThread(state, [&] {
        while (g_turn.load(std::memory_order_acquire) != turn) vzv::platform::SpinPause();
        file.Write(line.data(), bytes);
        g_turn.store(turn + 1, std::memory_order_release);
        turn += 2;
    });
}

std::shared_ptr<spdlog::logger> g_sharedPeer;

void SpdlogThreads(benchmark::State& state) {
    if (state.thread_index() == 0) g_sharedPeer = MakePeer(kScratch[3]);
    EveryThread(state, [] {
        g_sharedPeer->info("request {} from {} took {:.3f} ms", 42, "10.0.0.1", 12.345);
    });
    // All threads have passed the end together.
    if (state.thread_index() == 0) g_sharedPeer.reset();
}

void InfoNarrow(benchmark::State& state) {
    UseOurLog(Log::LOGLEVEL_INFO);
    for (auto _ : state) Log::Information(kFormat, 42, "10.0.0.1", 12.345);
    state.SetItemsProcessed(state.iterations());
}

void InfoThreads(benchmark::State& state) {
    if (state.thread_index() == 0) UseOurLog(Log::LOGLEVEL_INFO);
    EveryThread(state, [] { Log::Information(kFormat, 42, "10.0.0.1", 12.345); });
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
    int threads = 0;    // 0: one thread, in CPU time; else in wall time
};
const Case kCases[] = {
    {"floor", FloorLine, nullptr, nullptr},
    {"floor_1000", FloorLongLine, nullptr, nullptr},
    {"spdlog", Spdlog, "floor", nullptr},
    {"information", InfoNarrow, "floor", "spdlog"},
    {"information_wide", InfoWide, "floor", "spdlog"},
    {"verbose_1000", VerboseLong, "floor_1000", nullptr},
    {"traced_scope", Scope<Log::LOGLEVEL_INFO>, "floor", nullptr},
    {"spdlog_dropped", SpdlogDropped, nullptr, nullptr},
    {"spdlog_dropped_inline", SpdlogDroppedInline, nullptr, nullptr},
    {"dropped_debug", Dropped<Log::LOGLEVEL_ERROR, Log::Debug>, nullptr, "spdlog_dropped"},
    {"dropped_information_off", Dropped<Log::LOGLEVEL_OFF, Log::Information>, nullptr,
     "spdlog_dropped"},
    {"dropped_traced_scope", Scope<Log::LOGLEVEL_ERROR>, nullptr, "spdlog_dropped"},
    {"floor_handover", FloorHandOver, "threads_1", nullptr, 2},
    {"floor_alternating", FloorAlternating, "threads_1", nullptr, 2},
    {"threads_1", InfoThreads, nullptr, "spdlog_threads_1", 1},
    {"threads_2", InfoThreads, "threads_1", "spdlog_threads_2", 2},
    {"threads_4", InfoThreads, "threads_1", "spdlog_threads_4", 4},
    {"threads_8", InfoThreads, "threads_1", "spdlog_threads_8", 8},
    {"spdlog_threads_1", SpdlogThreads, nullptr, nullptr, 1},
    {"spdlog_threads_2", SpdlogThreads, nullptr, nullptr, 2},
    {"spdlog_threads_4", SpdlogThreads, nullptr, nullptr, 4},
    {"spdlog_threads_8", SpdlogThreads, nullptr, nullptr, 8},
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

using Figures = std::map<std::string, TableReporter::Figures>;

// The ratio of case `name` to case `base`; 0 when either was not run.
double Ratio(const Figures& cases, const char* name, const char* base) {
    const auto a = cases.find(name);
    const auto b = base != nullptr ? cases.find(base) : cases.end();
    return a == cases.end() || b == cases.end() ? 0 : a->second.ns / b->second.ns;
}

std::string RatioText(const Figures& cases, const char* name, const char* base) {
    const double ratio = Ratio(cases, name, base);
    if (ratio == 0) return "";
    char text[16];
    std::snprintf(text, sizeof text, "%.2fx", ratio);
    return text;
}

void PrintTables(const Figures& cases) {
    std::printf("%-24s %10s %6s %9s %9s\n", "case", "ns/line", "cv", "vs floor", "vs spdlog");
    for (const Case& c : kCases) {
        const auto found = cases.find(c.name);
        if (c.threads != 0 || found == cases.end()) continue;
        std::printf("%-24s %10.1f %5.1f%% %9s %9s\n", c.name, found->second.ns,
                    found->second.cv * 100, RatioText(cases, c.name, c.floor).c_str(),
                    RatioText(cases, c.name, c.peer).c_str());
    }
    std::printf("(CPU time, system calls included; medians of %d repetitions; dropped calls: "
                "ns per call, against spdlog's dropped call)\n\n", kRepetitions);
    std::printf("%-8s %10s %6s %10s %6s %9s %11s\n", "threads", "ns/line", "cv", "spdlog", "cv",
                "vs spdlog", "vs 1 thread");
    for (const Case& c : kCases) {
        const auto ours = cases.find(c.name);
        const auto peer = c.peer != nullptr ? cases.find(c.peer) : cases.end();
        if (c.threads == 0 || ours == cases.end() || peer == cases.end()) continue;
        std::printf("%-8d %10.1f %5.1f%% %10.1f %5.1f%% %9s %11s\n", c.threads, ours->second.ns,
                    ours->second.cv * 100, peer->second.ns, peer->second.cv * 100,
                    RatioText(cases, c.name, c.peer).c_str(),
                    RatioText(cases, c.name, c.floor).c_str());
    }
    std::printf("(wall time per line, all threads writing to one log, their lines together; "
                "medians of %d repetitions)\n", kRepetitions);
    for (const Case& c : kCases) {
        const auto found = cases.find(c.name);
        if (c.threads == 0 || c.peer != nullptr || c.floor == nullptr || found == cases.end())
            continue;  // only the thread floors
        std::printf("%s: %.1f ns/line (cv %.1f%%), %s one thread's line\n", c.name,
                    found->second.ns, found->second.cv * 100,
                    RatioText(cases, c.name, c.floor).c_str());
    }
    std::printf("\n");
}

// Each target with the cases it holds for; a case that was not run counts
// as missed.
void PrintTargets(const Figures& cases) {
    bool all = true;
    const auto check = [&](const char* what, bool met) {
        std::printf("  %-6s %s\n", met ? "met" : "MISSED", what);
        all = all && met;
    };
    const auto within = [&](const char* name, const char* base, double limit) {
        const double ratio = Ratio(cases, name, base);
        return ratio > 0 && ratio <= limit;
    };
    std::printf("targets:\n");
    check("an enabled line at most 1.30x the floor (information, information_wide, "
          "traced_scope, verbose_1000)",
          within("information", "floor", 1.30) && within("information_wide", "floor", 1.30) &&
              within("traced_scope", "floor", 1.30) && within("verbose_1000", "floor_1000", 1.30));
    bool faster = within("information", "spdlog", 1) && within("information_wide", "spdlog", 1);
    bool scales = true;
    for (const Case& c : kCases) {
        if (c.threads == 0 || c.peer == nullptr) continue;  // spdlog's own, and the floors
        faster = faster && within(c.name, c.peer, 1);
        if (c.floor != nullptr) scales = scales && within(c.name, c.floor, 1);
    }
    check("faster than spdlog flushing every line, with 1, 2, 4 and 8 threads", faster);
    check("with 2, 4 and 8 threads, lines per second at least those of one thread", scales);
    bool dropped = true;
    for (const char* name : {"dropped_debug", "dropped_information_off", "dropped_traced_scope"}) {
        const auto found = cases.find(name);
        dropped = dropped && found != cases.end() && found->second.ns <= 5.0 &&
                  within(name, "spdlog_dropped", 1);
    }
    check("a dropped call at most 5 ns and faster than spdlog's dropped call", dropped);
    std::printf("%s\n", all ? "all targets met" : "some targets MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    for (const Case& c : kCases) {
        auto* b = benchmark::RegisterBenchmark(c.name, c.function)
                      ->MinTime(kMinTime)
                      ->Repetitions(kRepetitions)
                      ->ReportAggregatesOnly(true)
                      // No repetition pays for the writeback of another's lines.
                      ->Setup([](const benchmark::State&) { ::sync(); });
        if (c.threads != 0) b->Threads(c.threads)->UseManualTime();
    }
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintTables(reporter.cases);
    PrintTargets(reporter.cases);
    for (const char* name : kScratch) std::remove(name);
    return 0;
}
