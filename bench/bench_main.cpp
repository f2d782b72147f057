// Runs every case and prints Google Benchmark's own report, then the table.
#include "bench_cases.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

#ifndef VZV_BENCH_COMPAT
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
#endif

}  // namespace

int main(int argc, char** argv) {
#ifndef VZV_BENCH_COMPAT
    // Repetitions of all cases are shuffled, so that a case and its
    // baselines are measured over the same stretch of a noisy machine.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    argc = static_cast<int>(args.size());
    argv = args.data();
#endif
    benchmark::Initialize(&argc, argv);
    vzv::bench::RegisterCases();
#ifdef VZV_BENCH_COMPAT
    std::vector<vzv::bench::Row> rows;
    for (const auto& [name, ns] : benchmark::RunAndCollectMedians()) rows.push_back({name, ns});
    vzv::bench::PrintTable(rows, true);
#else
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    vzv::bench::PrintTable(reporter.rows, false);
#endif
    vzv::bench::RemoveScratchFiles();
    benchmark::Shutdown();
    return 0;
}
