#include "api_fixture.h"

namespace vzv::test {
namespace {

using Lines = std::vector<std::string>;

TEST_F(ApiTest, OffByDefaultUntilTheFirstError) {
    Log::Information("info");
    Log::Debug(L"debug");
    Log::Verbose("verbose");
    EXPECT_TRUE(DefaultLogs().empty());
    EXPECT_EQ(ToPath(Log::GetLogPath()).parent_path(), root / "Brivant" / "Licensing");

    Log::Error("first error %d", 1);
    Log::Information("still dropped");
    Log::Error(L"second error");
    const auto logs = DefaultLogs();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0], ToPath(Log::GetLogPath()));
    EXPECT_NE(ReadBytes(logs[0]).substr(0, 2), "\xFF\xFE") << "a placed file has no byte order mark";
    // The switch line went to the writer's path before placement: dropped.
    EXPECT_EQ(LogLines(logs[0]), (Lines{"1:first error 1", "1:second error"}));
    EXPECT_EQ(Log::GetLogLevel(), Log::LOGLEVEL_OFF) << "the automatic switch is not the client's";
    EXPECT_EQ(LoggerLevel, 0);
}

TEST_F(ApiTest, SwitchingOnPlacesTheRecordedPath) {
    const std::wstring path = Path("deep/er/app.log");
    Log::SetLogPath(path.c_str());
    EXPECT_FALSE(fs::exists(root / "deep")) << "nothing is placed while logging is off";
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    ASSERT_TRUE(fs::exists(root / "deep/er/app.log"));
    EXPECT_EQ(fs::file_size(root / "deep/er/app.log"), 0u);

    Log::Information(L"info");
    Log::Debug("dropped");
    Log::SetLogLevel(Log::LOGLEVEL_INFO);  // unchanged: no line
    Log::SetLogLevel(static_cast<Log::eLOGLEVEL>(7));
    EXPECT_EQ(Log::GetLogLevel(), 7);
    Log::Verbose("verbose");
    Log::SetLogLevel(Log::LOGLEVEL_OFF);
    Log::Information("dropped");
    EXPECT_EQ(LogLines(root / "deep/er/app.log"),
              (Lines{"2:info", "0:Switch Runtime Log Level from 'Info' to 'Verbose'",
                     "4:verbose", "0:Switch Runtime Log Level from 'Verbose' to 'Off'"}));
    EXPECT_EQ(LoggerLevel, 0);
    EXPECT_TRUE(DefaultLogs().empty());
}

TEST_F(ApiTest, NegativeLevelDropsEvenErrors) {
    ASSERT_TRUE(SetLogFilePath(Path("app.log").c_str()));
    ASSERT_TRUE(SetLogLevel(2));
    Log::Information("kept");
    ASSERT_TRUE(SetLogLevel(-1));
    Log::Error("dropped");
    Log::Information("dropped");
    EXPECT_EQ(LogLines(root / "app.log"),
              (Lines{"2:kept", "0:Switch Runtime Log Level from 'Info' to 'Off'"}));
}

TEST_F(ApiTest, DefaultFileInTheWorkingDirectoryTakesTheLines) {
    fs::current_path(root);
    WriteBytes(root / "RavIrivuzo.log", "");
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::Information("here");
    EXPECT_EQ(LogLines(root / "RavIrivuzo.log"),
              (Lines{"0:Switch Runtime Log Level from 'Off' to 'Info'", "2:here"}));
    EXPECT_TRUE(DefaultLogs().empty());
    fs::current_path(root.parent_path());
}

TEST_F(ApiTest, BadInputIsHarmless) {
    EXPECT_FALSE(SetLogFilePath(nullptr));
    Log::SetLogPath(nullptr);
    Log::Error(static_cast<const char*>(nullptr));
    Log::Error(static_cast<const wchar_t*>(nullptr));
    ASSERT_TRUE(SetLogFilePath(Path("app.log").c_str()));
    Log::Error("%k and a lone %");
    const Lines lines = LogLines(root / "app.log");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "1:%k and a lone %");
}

}  // namespace
}  // namespace vzv::test
