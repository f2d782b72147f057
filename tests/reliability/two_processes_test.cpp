// Two processes, one file: the one that holds it keeps every line; the
// other's lines are dropped, and nothing in the file is damaged.
#include "reliability_fixture.h"

#include <algorithm>

namespace vzv::test {
namespace {

TEST_F(ReliabilityTest, SecondProcessIsRefusedWhileTheFirstHoldsTheFile) {
    const fs::path log = root / "shared" / "app.log", output = root / "second.txt";
    ASSERT_TRUE(SetLogFilePath(Wide(log).c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::Information("first 0");

    ChildProcess second(kChild, {output.u8string(), "log", log.u8string(), "300", "second"});
    Lines expected{"2:first 0"};
    for (int i = 1; i < 600; ++i) {
        Log::Information("first %d", i);
        expected.push_back("2:first " + std::to_string(i));
    }
    EXPECT_EQ(second.Wait(), 0) << "the refused client must carry on";
    EXPECT_EQ(LogLines(log), expected);
    // Its calls returned normally: 300 lines from each of its two threads.
    const std::string reports = ReadBytes(output);
    EXPECT_EQ(std::count(reports.begin(), reports.end(), '\n'), 600);
    EXPECT_EQ(std::distance(fs::directory_iterator(log.parent_path()), {}), 1)
        << "the refused client made no file of its own";
}

}  // namespace
}  // namespace vzv::test
