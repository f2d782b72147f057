// A client killed without warning at random moments loses at most the line
// it was writing, and never one that a call had returned from.
#include "reliability_fixture.h"

#include <cstdio>
#include <map>
#include <random>
#include <sstream>

namespace vzv::test {
namespace {

TEST_F(ReliabilityTest, KilledClientLeavesWholeContiguousLines) {
    constexpr int kKills = 24;
    const fs::path log = root / "crash" / "app.log";
    std::mt19937 random(std::random_device{}());
    // The last "<thread> <number>" each run reported as returned; a report
    // the kill cut short asks for less.
    std::map<std::pair<int, int>, long> reported;  // (run, thread) -> number
    for (int run = 0; run < kKills; ++run) {
        const fs::path output = root / ("out" + std::to_string(run) + ".txt");
        {
            ChildProcess child(kChild, {output.u8string(), "log", log.u8string(), "100000000",
                                        "r" + std::to_string(run)});
            // Every fourth kill may land during start-up and placement; the
            // rest while lines flow.
            if (run % 4 != 0) {
                ASSERT_TRUE(WaitForOutput(output, "\n")) << "the client never logged";
            }
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::uniform_int_distribution<int>(0, 30000)(random)));
        }
        std::istringstream in(ReadBytes(output));
        int thread = 0;
        long number = 0;
        while (in >> thread >> number) reported[{run, thread}] = number;
    }

    // A kill inside a write may cut that one line short; the next process
    // ends it, so it shows as a line whose text stops early.
    const LogScan scan = ScanLog(log);
    std::size_t cut = scan.broken;
    std::map<std::pair<int, int>, long> logged;  // (run, thread) -> lines
    for (const std::string& line : scan.lines) {
        int run = 0, thread = 0;
        long number = 0;
        char end[4] = {};
        if (line.rfind("0:", 0) == 0) continue;
        if (std::sscanf(line.c_str(), "2:r%d t%d n%ld %3s", &run, &thread, &number, end) != 4 ||
            std::string(end) != "end") {
            ++cut;
            continue;
        }
        long& next = logged[{run, thread}];
        ASSERT_EQ(number, next++) << "run " << run << " thread " << thread << ": not contiguous";
    }
    EXPECT_LE(cut, static_cast<std::size_t>(kKills));
    EXPECT_FALSE(reported.empty());
    for (const auto& [key, number] : reported)
        EXPECT_LT(number, logged[key]) << "run " << key.first << " thread " << key.second
                                       << " line " << number << " returned but is missing";
}

}  // namespace
}  // namespace vzv::test
