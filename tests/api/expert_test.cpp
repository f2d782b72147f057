#include "api_fixture.h"

namespace vzv::test {
namespace {

class ExpertTest : public ApiTest {
protected:
    const fs::path marker = root / "Brivant" / "LOG.Expert" / "CppLogger.json";
    void CheckExpertMode();
};

TEST_F(ExpertTest, MarkerFileForcesVerboseIntoTheExpertFolder) {
    fs::create_directories(marker.parent_path());
    WriteBytes(marker, "{}");
    CheckExpertMode();
}

TEST_F(ExpertTest, MarkerFolderCountsToo) {
    fs::create_directories(marker);
    CheckExpertMode();
}

// The facade's start-up runs the check when a logging call comes first.
TEST_F(ExpertTest, FirstLoggingCallFindsTheMarker) {
    fs::create_directories(marker.parent_path());
    WriteBytes(marker, "{}");
    Log::Verbose("first");
    EXPECT_TRUE(IsExpertMode());
    const std::vector<std::string> lines = LogLines(ToPath(Log::GetLogPath()));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "4:first");
}

void ExpertTest::CheckExpertMode() {
    EXPECT_FALSE(IsExpertMode()) << "decided on the first call, not before";
    EXPECT_TRUE(SetLogLevel(1)) << "refused requests still succeed";
    EXPECT_TRUE(IsExpertMode());
    EXPECT_EQ(Log::GetLogLevel(), Log::LOGLEVEL_VERBOSE);

    const fs::path path = ToPath(Log::GetLogPath());
    EXPECT_EQ(path.parent_path(), root / "Brivant" / "LOG.Expert");
    Log::SetLogPath(Path("client.log").c_str());
    EXPECT_TRUE(SetLogFilePath(Path("client.log").c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_ERROR);
    Log::Verbose("verbose");
    Log::LogCppCall trace("scope");

    EXPECT_EQ(Log::GetLogLevel(), Log::LOGLEVEL_VERBOSE);
    EXPECT_EQ(ToPath(Log::GetLogPath()), path);
    EXPECT_FALSE(fs::exists(root / "client.log"));
    const std::vector<std::string> lines = LogLines(path);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "4:verbose");
    EXPECT_EQ(lines.back(), "2:--> scope -- start");
}

}  // namespace
}  // namespace vzv::test
