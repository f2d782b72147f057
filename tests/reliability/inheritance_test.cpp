// A child process that the client starts while logging, and that outlives a
// rotation and a move, holds nothing of the log.
#include "reliability_fixture.h"

namespace vzv::test {
namespace {

TEST_F(ReliabilityTest, ChildProcessDoesNotInheritTheLog) {
    const fs::path log = root / "one" / "app.log";
    Prefill(log, kCap + 2);
    ASSERT_TRUE(SetLogFilePath(Wide(log).c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::Information("line 0");  // the file is open now

    const fs::path output = root / "child.txt";
    ChildProcess child(HelperProgram("reliability_child"), {"hold", "30"}, output);
    for (int i = 1; i < 2 * kCheckEvery; ++i) Log::Information("line %d", i);
    EXPECT_TRUE(fs::exists(root / "one" / "app.log_old"));
    EXPECT_FALSE(fs::exists(root / "one" / "app_.log")) << "the rename was blocked";

    SetLogFilePath(Path("two/app.log").c_str());
    Log::Information("moved");
    EXPECT_FALSE(fs::exists(log)) << "the move could not remove the previous file";
    EXPECT_EQ(Texts(root / "two" / "app.log"), std::vector<std::string>{"moved"});
    std::vector<std::string> lines = Texts(root / "one" / "app.log_old", kCap + 2);
    const std::vector<std::string> rest = Texts(root / "two" / "app.startup.log");
    lines.insert(lines.end(), rest.begin(), rest.end());
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(2 * kCheckEvery));
    for (int i = 0; i < 2 * kCheckEvery; ++i) EXPECT_EQ(lines[i], "line " + std::to_string(i));

    ASSERT_TRUE(WaitForOutput(output, "ready"));
    child.Kill();
    // POSIX: the descriptors the child had after exec, none of them our log.
    const std::string held = ReadBytes(output);
    EXPECT_EQ(held.find("app.log"), std::string::npos) << held;
}

}  // namespace
}  // namespace vzv::test
