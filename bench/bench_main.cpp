// Runs every case and prints Google Benchmark's own report, then the table.
//
// On Linux the suite runs in several processes, one after another, and the
// table gives the median over them: each process places the library, its
// heap and its stack at addresses of its own, and the machine's caches and
// TLBs favour some placements over others, which alone moves one process's
// ratios by a few percent. Within each process every case still runs beside
// its baselines, repetitions shuffled.
#include "bench_cases.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#ifndef VZV_BENCH_COMPAT
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

#ifndef VZV_BENCH_COMPAT
constexpr int kProcesses = 7;
constexpr char kRowsOption[] = "--vzv_rows=";

// Keeps the medians as they are reported.
class TableReporter : public benchmark::ConsoleReporter {
public:
    std::vector<vzv::bench::Row> rows;

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
            const auto items = run.counters.find("items_per_second");
            if (items == run.counters.end() || items->second.value <= 0) continue;
            rows.push_back({run.run_name.function_name, 1e9 / items->second.value});
        }
    }
};

// One process of the suite: its medians go to `rowsFile`, a row a line.
int RunSuite(int argc, char** argv, const char* rowsFile) {
    // Repetitions of all cases are shuffled, so that a case and its
    // baselines are measured over the same stretch of a noisy machine.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    vzv::bench::RegisterCases();
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::ofstream out(rowsFile);
    for (const vzv::bench::Row& row : reporter.rows) out << row.name << ' ' << row.nsPerItem << '\n';
    vzv::bench::RemoveScratchFiles();
    benchmark::Shutdown();
    return out ? 0 : 1;
}

std::vector<vzv::bench::Row> ReadRows(const std::string& path) {
    std::vector<vzv::bench::Row> rows;
    std::ifstream in(path);
    vzv::bench::Row row;
    while (in >> row.name >> row.nsPerItem) rows.push_back(row);
    return rows;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef VZV_BENCH_COMPAT
    benchmark::Initialize(&argc, argv);
    vzv::bench::RegisterCases();
    std::vector<vzv::bench::Row> rows;
    for (const auto& [name, ns] : benchmark::RunAndCollectMedians()) rows.push_back({name, ns});
    vzv::bench::PrintTable({rows}, true);
    vzv::bench::RemoveScratchFiles();
    benchmark::Shutdown();
    return 0;
#else
    if (argc > 1 && std::strncmp(argv[1], kRowsOption, sizeof kRowsOption - 1) == 0) {
        const char* const rowsFile = argv[1] + sizeof kRowsOption - 1;
        argv[1] = argv[0];
        return RunSuite(argc - 1, argv + 1, rowsFile);
    }
    std::vector<std::vector<vzv::bench::Row>> runs;
    for (int i = 0; i < kProcesses; ++i) {
        std::printf("== process %d of %d\n", i + 1, kProcesses);
        std::fflush(stdout);
        const std::string rowsFile = "vzv_bench_rows_" + std::to_string(i) + ".txt";
        std::string option = kRowsOption + rowsFile;
        std::vector<char*> args{argv[0], option.data()};
        args.insert(args.end(), argv + 1, argv + argc);
        args.push_back(nullptr);
        pid_t child = 0;
        int status = 0;
        if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, args.data(), environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "benchmark process %d failed\n", i + 1);
            return 1;
        }
        runs.push_back(ReadRows(rowsFile));
        std::remove(rowsFile.c_str());
    }
    vzv::bench::PrintTable(runs, false);
    return 0;
#endif
}
