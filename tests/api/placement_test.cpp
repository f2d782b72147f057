#include "api_fixture.h"

namespace vzv::test {
namespace {

// Logging switched on by an error into the default file P0. The start-up log
// replaces one of an earlier run and follows each move; another spelling of
// the same path moves nothing and continues the file. A path without ".log"
// takes the start-up log itself; one naming no file only records.
TEST_F(ApiTest, StartupLogFollowsEveryMove) {
    Log::Error(L"in P0");  // a wide first error switches logging on too
    const fs::path p0 = ToPath(Log::GetLogPath());
    fs::create_directories(root / "one");
    WriteBytes(root / "one" / "app.startup.log", "left by an earlier run");
    Log::SetLogPath(Path("one/app.log").c_str());
    Log::Error("in P1");
    Log::SetLogPath(Path("one/../one/app.log").c_str());
    Log::Error("in P1 again");
    EXPECT_FALSE(fs::exists(p0));
    EXPECT_EQ(LogLines(root / "one/app.startup.log"), Lines{"1:in P0"});
    EXPECT_EQ(LogLines(root / "one/app.log"), (Lines{"1:in P1", "1:in P1 again"}));

    Log::SetLogPath(Path("two/app.log.1").c_str());
    Log::Error("in P2");
    EXPECT_FALSE(fs::exists(root / "one/app.startup.log"));
    EXPECT_EQ(LogLines(root / "two/app.startup.log"), Lines{"1:in P0"});
    EXPECT_EQ(LogLines(root / "two/app.log.1"), Lines{"1:in P2"});

    Log::SetLogPath(Path("app.txt").c_str());
    Log::Error("in app.txt");
    EXPECT_FALSE(fs::exists(root / "two/app.startup.log"));
    Log::SetLogPath(Path("dir/abcd").c_str());  // four characters: no file
    Log::Error("still in app.txt");
    EXPECT_FALSE(fs::exists(root / "dir"));
    EXPECT_EQ(LogLines(root / "app.txt"), (Lines{"1:in P0", "1:in app.txt", "1:still in app.txt"}));
}

}  // namespace
}  // namespace vzv::test
