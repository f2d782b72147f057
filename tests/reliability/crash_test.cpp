// A client killed without warning at random moments loses at most the line
// it was writing, and never one that a call had returned from.
#include "reliability_fixture.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace vzv::test {
namespace {

using Numbers = std::set<std::pair<int, long>>;  // (thread, number)

// The "<thread> <number>" reports; a line the kill cut short reports a
// smaller number or none, which asks for less.
Numbers Reported(const fs::path& output) {
    Numbers numbers;
    std::istringstream in(ReadBytes(output));
    int thread = 0;
    long number = 0;
    while (in >> thread >> number) numbers.insert({thread, number});
    return numbers;
}

TEST_F(ReliabilityTest, KilledClientLeavesWholeContiguousLines) {
    constexpr int kKills = 24;
    const fs::path log = root / "crash" / "app.log";
    std::mt19937 random(std::random_device{}());
    std::vector<Numbers> reported(kKills);
    for (int run = 0; run < kKills; ++run) {
        const fs::path output = root / ("out" + std::to_string(run) + ".txt");
        ChildProcess child(HelperProgram("reliability_child"),
                           {"log", log.u8string(), "100000000", "r" + std::to_string(run)}, output);
        // Every fourth kill may land during start-up and placement; the rest
        // while lines flow.
        if (run % 4 != 0) {
            ASSERT_TRUE(WaitForOutput(output)) << "the client never logged";
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 30000)(random)));
        child.Kill();
        reported[run] = Reported(output);
    }

    // A kill inside a write may cut that one line short; the next process
    // ends it, so it shows as a line whose text stops early.
    const LogScan scan = ScanLog(log);
    std::size_t cut = scan.broken;
    std::map<std::pair<int, int>, std::vector<long>> logged;  // (run, thread) -> numbers
    for (const LogRecord& line : scan.lines) {
        int run = 0, thread = 0;
        long number = 0;
        if (line.level == 0) continue;
        char end[4] = {};
        if (std::sscanf(line.text.c_str(), "r%d t%d n%ld %3s", &run, &thread, &number, end) == 4 &&
            std::string(end) == "end")
            logged[{run, thread}].push_back(number);
        else
            ++cut;
    }
    EXPECT_LE(cut, static_cast<std::size_t>(kKills));
    for (const auto& [key, numbers] : logged)
        for (std::size_t i = 0; i < numbers.size(); ++i)
            ASSERT_EQ(numbers[i], static_cast<long>(i))
                << "run " << key.first << " thread " << key.second << ": not contiguous";
    std::size_t confirmed = 0;
    for (int run = 0; run < kKills; ++run)
        for (const auto& [thread, number] : reported[run]) {
            ASSERT_LT(number, static_cast<long>(logged[{run, thread}].size()))
                << "run " << run << " thread " << thread << " line " << number
                << " was reported as returned but is missing";
            ++confirmed;
        }
    EXPECT_GT(confirmed, 0u);
}

}  // namespace
}  // namespace vzv::test
