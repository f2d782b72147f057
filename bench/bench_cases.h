// What the cases share with the table: the message every enabled case logs
// and where each case finds the baseline it is compared with.
#pragma once

#include <string>
#include <vector>

namespace vzv::bench {

// One median from the run: nanoseconds per line (or per call for the cases
// that write nothing), from the total throughput of all threads.
struct Row {
    std::string name;
    double nsPerItem;
};

// Registers every case with the benchmark library.
void RegisterCases();
// Prints the ratio table of one or more runs of the suite, each in a process
// of its own: medians over the runs, each ratio taken within a run.
// `ratiosOnly` leaves the absolute times out.
void PrintTable(const std::vector<std::vector<Row>>& runs, bool ratiosOnly);
// Removes the scratch files.
void RemoveScratchFiles();

}  // namespace vzv::bench
