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
// Prints the ratio table; `ratiosOnly` leaves the absolute times out.
void PrintTable(std::vector<Row> rows, bool ratiosOnly);
// Removes the scratch files.
void RemoveScratchFiles();

}  // namespace vzv::bench
