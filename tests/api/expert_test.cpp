#include "api_fixture.h"

namespace vzv::test {
namespace {

// The marker is a file or a folder; logging is on at level 4 from the first
// call of the library on.
class ExpertTest : public ApiTest {
protected:
    const fs::path folder = root / "Brivant" / "LOG.Expert";
    const fs::path marker = folder / "CppLogger.json";
};

TEST_F(ExpertTest, MarkerFileForcesVerboseIntoTheExpertFolder) {
    fs::create_directories(folder);
    WriteBytes(marker, "{}");
    EXPECT_FALSE(IsExpertMode()) << "decided on the first call, not before";
    EXPECT_TRUE(SetLogLevel(1)) << "refused requests still succeed";
    EXPECT_TRUE(IsExpertMode());
    const fs::path path = ToPath(Log::GetLogPath());
    EXPECT_EQ(path.parent_path(), folder);
    Log::SetLogPath(Path("client.log").c_str());
    EXPECT_TRUE(SetLogFilePath(Path("client.log").c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_ERROR);
    Log::Verbose("verbose");
    Log::LogCppCall trace("scope");

    EXPECT_EQ(Log::GetLogLevel(), Log::LOGLEVEL_VERBOSE);
    EXPECT_EQ(ToPath(Log::GetLogPath()), path);
    EXPECT_FALSE(fs::exists(root / "client.log"));
    EXPECT_EQ(LogLines(path), (Lines{"4:verbose", "2:--> scope -- start"}));
}

// The facade's start-up runs the check when a logging call comes first.
TEST_F(ExpertTest, FirstLoggingCallFindsTheMarker) {
    fs::create_directories(marker);
    Log::Verbose("first");
    EXPECT_TRUE(IsExpertMode());
    EXPECT_EQ(LogLines(folder / ToPath(Log::GetLogPath()).filename()), Lines{"4:first"});
}

}  // namespace
}  // namespace vzv::test
