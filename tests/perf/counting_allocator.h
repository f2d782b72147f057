// Counters of the perf suite's replaced allocation functions.
#pragma once

#include <atomic>

extern std::atomic<long> g_allocations;
extern std::atomic<long> g_frees;
extern std::atomic<bool> g_failAllocations;  // operator new throws while set
