// Two processes, one file: the one that holds it keeps every line; the
// other's lines are dropped, and nothing in the file is damaged.
#include "reliability_fixture.h"

#include <algorithm>

namespace vzv::test {
namespace {

TEST_F(ReliabilityTest, SecondProcessIsRefusedWhileTheFirstHoldsTheFile) {
    constexpr int kLines = 600;
    const fs::path log = root / "shared" / "app.log";
    ASSERT_TRUE(SetLogFilePath(Wide(log).c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::Information("first 0");

    const fs::path output = root / "second.txt";
    ChildProcess second(HelperProgram("reliability_child"), {"log", log.u8string(), "300", "second"},
                        output);
    for (int i = 1; i < kLines; ++i) Log::Information("first %d", i);
    EXPECT_EQ(second.Wait(), 0) << "the refused client must carry on";

    std::vector<std::string> expected;
    for (int i = 0; i < kLines; ++i) expected.push_back("first " + std::to_string(i));
    EXPECT_EQ(Texts(log), expected);
    // Its calls returned normally: 300 lines from each of its two threads.
    const std::string reports = ReadBytes(output);
    EXPECT_EQ(std::count(reports.begin(), reports.end(), '\n'), 600);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(log.parent_path())) ++files;
    EXPECT_EQ(files, 1u) << "the refused client made no file of its own";
}

}  // namespace
}  // namespace vzv::test
