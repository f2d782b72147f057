// A client killed without warning at random moments loses at most the line
// it was writing, and never one that a call had returned from. Then, while
// this process holds the log, a second client's calls return but its lines
// are dropped, and it makes no file of its own.
#include "reliability_fixture.h"

#include <algorithm>
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
    std::map<std::pair<int, int>, long> returned;  // (run, thread) -> the last number reported
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
        // A report the kill cut short asks for less.
        std::istringstream in(ReadBytes(output));
        for (int thread = 0, number = 0; in >> thread >> number;) returned[{run, thread}] = number;
    }
    ASSERT_TRUE(SetLogFilePath(Wide(log).c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::Information("r%d t0 n0 end", kKills);
    const fs::path output = root / "second.txt";
    ChildProcess second(kChild, {output.u8string(), "log", log.u8string(), "300", "r-1"});
    for (int i = 1; i < 600; ++i) Log::Information("r%d t0 n%d end", kKills, i);
    EXPECT_EQ(second.Wait(), 0) << "the refused client must carry on";
    const std::string reports = ReadBytes(output);
    EXPECT_EQ(std::count(reports.begin(), reports.end(), '\n'), 600) << "its calls returned";
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "crash"), {}), 1)
        << "the refused client made a file of its own";

    // A kill inside a write may cut that one line short; the next process
    // ends it, so it shows as a line whose text stops early.
    std::size_t cut = 0;
    std::map<std::pair<int, int>, long> logged;  // (run, thread) -> lines
    for (const std::string& line : LogLines(log, 0, &cut)) {
        int run = 0, thread = 0;
        long number = 0;
        char end[4] = {};
        if (std::sscanf(line.c_str(), "2:r%d t%d n%ld %3s", &run, &thread, &number, end) != 4 ||
            std::string(end) != "end") {
            cut += line.rfind("0:", 0) != 0;  // not a header line
            continue;
        }
        ASSERT_EQ(number, (logged[{run, thread}]++)) << "run " << run << " thread " << thread;
    }
    EXPECT_LE(cut, static_cast<std::size_t>(kKills));
    EXPECT_EQ((logged[{kKills, 0}]), 600);
    EXPECT_EQ(logged.count({-1, 0}) + logged.count({-1, 1}), 0u) << "the second client's lines";
    for (const auto& [key, number] : returned)
        EXPECT_LT(number, logged[key]) << "run " << key.first << " thread " << key.second
                                       << " line " << number << " returned but is missing";
}

}  // namespace
}  // namespace vzv::test
