#include "api_fixture.h"

namespace vzv::test {
namespace {

// Logging switched on by an error into the default file P0.
class PlacementTest : public ApiTest {
protected:
    void SetUp() override {
        Log::Error("in P0");
        ASSERT_TRUE(fs::exists(p0));
    }
    const fs::path p0 = ToPath(Log::GetLogPath());
};

TEST_F(PlacementTest, StartupLogFollowsEveryMove) {
    fs::create_directories(root / "one");
    WriteBytes(root / "one" / "app.startup.log", "left by an earlier run");  // replaced
    Log::SetLogPath(Path("one/app.log").c_str());
    Log::Error("in P1");
    EXPECT_FALSE(fs::exists(p0));
    const Lines startup{"1:in P0"};
    EXPECT_EQ(LogLines(root / "one/app.startup.log"), startup);
    EXPECT_EQ(LogLines(root / "one/app.log"), Lines{"1:in P1"});

    // The same path again, or another spelling of it, moves nothing and
    // continues the file.
    Log::SetLogPath(Path("one/app.log").c_str());
    Log::Error("in P1 again");
    Log::SetLogPath(Path("one/../one/app.log").c_str());
    Log::Error("through another spelling");
    const Lines p1{"1:in P1", "1:in P1 again", "1:through another spelling"};
    EXPECT_EQ(LogLines(root / "one/app.startup.log"), startup);
    EXPECT_EQ(LogLines(root / "one/app.log"), p1);

    Log::SetLogPath(Path("two/app.log.1").c_str());
    Log::Error("in P2");
    EXPECT_FALSE(fs::exists(root / "one/app.startup.log"));
    EXPECT_EQ(LogLines(root / "two/app.startup.log"), startup);
    EXPECT_EQ(LogLines(root / "one/app.log"), p1);
    EXPECT_EQ(LogLines(root / "two/app.log.1"), Lines{"1:in P2"});
    EXPECT_EQ(ToPath(Log::GetLogPath()), root / "two/app.log.1");
}

TEST_F(PlacementTest, PathWithoutLogTakesTheStartupLogItself) {
    Log::SetLogPath(Path("app.txt").c_str());
    Log::Error("after");
    EXPECT_FALSE(fs::exists(p0));
    EXPECT_EQ(LogLines(root / "app.txt"), (Lines{"1:in P0", "1:after"}));
}

TEST_F(PlacementTest, FailedCopyKeepsThePreviousFile) {
    fs::create_directories(root / "one" / "app.startup.log" / "blocker");
    Log::SetLogPath(Path("one/app.log").c_str());
    Log::Error("in P1");
    ASSERT_TRUE(fs::exists(p0)) << "nothing may be lost when the copy fails";
    EXPECT_EQ(LogLines(p0), Lines{"1:in P0"});
    // The kept file still follows the next move.
    Log::SetLogPath(Path("two/app.log").c_str());
    EXPECT_FALSE(fs::exists(p0));
    EXPECT_EQ(LogLines(root / "two/app.startup.log"), Lines{"1:in P0"});
}

TEST_F(PlacementTest, PathNamingNoFileOnlyRecords) {
    EXPECT_EQ(ToPath(Log::GetLogPath()), p0) << "stable between calls";
    Log::SetLogPath(Path("dir/abcd").c_str());  // four characters: no file
    EXPECT_FALSE(fs::exists(root / "dir"));
    Log::Error("still in P0");
    EXPECT_EQ(LogLines(p0), (Lines{"1:in P0", "1:still in P0"}));
}

}  // namespace
}  // namespace vzv::test
