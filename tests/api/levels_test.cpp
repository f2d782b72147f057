#include "api_fixture.h"

#include <algorithm>
#include <iterator>
#include <regex>
#include <tuple>

namespace vzv::test {
namespace {

TEST_F(ApiTest, OffByDefaultUntilTheFirstError) {
    Log::Information("info");
    Log::Verbose(L"verbose");
    EXPECT_FALSE(fs::exists(licensing));
    const fs::path placed = ToPath(Log::GetLogPath());
    EXPECT_EQ(placed.parent_path(), licensing);
    EXPECT_TRUE(std::regex_match(placed.filename().u8string(),
                                 std::regex(R"(VuzavovEro_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d\.log)")));

    Log::Error("first error %d", 1);
    Log::Information("still dropped");
    Log::Error(L"second error");
    EXPECT_EQ(std::distance(fs::directory_iterator(licensing), fs::directory_iterator()), 1);
    EXPECT_NE(ReadBytes(placed).substr(0, 2), "\xFF\xFE") << "a placed file has no byte order mark";
    // The switch line went to the writer's path before placement: dropped.
    EXPECT_EQ(LogLines(placed), (Lines{"1:first error 1", "1:second error"}));
    EXPECT_EQ(Log::GetLogLevel(), Log::LOGLEVEL_OFF) << "the automatic switch is not the client's";
}

// Each level by its public name: what GetLogLevel reports, how the switch
// line names it, and which lines pass. Values above 4 act as 4; a negative
// one drops even errors. The first switch places the recorded path.
TEST_F(ApiTest, LevelsByName) {
    ASSERT_TRUE(SetLogFilePath(Path("deep/er/app.log").c_str()));
    EXPECT_FALSE(fs::exists(root / "deep")) << "nothing is placed while logging is off";
    // The numbers are written out: the header's values are under test.
    const std::tuple<Log::eLOGLEVEL, int, std::string> levels[] = {
        {Log::LOGLEVEL_VERBOSE, 4, "Verbose"}, {Log::LOGLEVEL_ERROR, 1, "Error"},
        {Log::LOGLEVEL_DEBUG, 3, "Debug"},     {Log::LOGLEVEL_OFF, 0, "Off"},
        {Log::LOGLEVEL_INFO, 2, "Info"},       {Log::eLOGLEVEL(7), 7, "Verbose"},
        {Log::LOGLEVEL_VERBOSE, 4, "Verbose"}};
    Lines expected;
    std::string previous;
    for (const auto& [level, number, name] : levels) {
        Log::SetLogLevel(level);
        EXPECT_EQ(Log::GetLogLevel(), number) << name;
        // The first switch places the file: its own line is not in it. An
        // unchanged level has none.
        if (!previous.empty() && previous != name)
            expected.push_back("0:Switch Runtime Log Level from '" + previous + "' to '" +
                               name + "'");
        previous = name;
        Log::Information("at %d", number);
        Log::Debug(L"at %d", number);
        Log::Verbose("at %d", number);
        for (int passed = 2; passed <= std::min(number, 4); ++passed)
            expected.push_back(std::to_string(passed) + ":at " + std::to_string(number));
    }
    EXPECT_TRUE(SetLogLevel(-1));
    Log::Error("dropped");
    expected.push_back("0:Switch Runtime Log Level from 'Verbose' to 'Off'");
    EXPECT_EQ(LogLines(root / "deep/er/app.log"), expected);
    EXPECT_EQ(LoggerLevel, 0);
}

TEST_F(ApiTest, DefaultFileInTheWorkingDirectoryTakesTheLines) {
    fs::current_path(root);
    WriteBytes(root / "RavIrivuzo.log", "");
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::Information("here");
    EXPECT_EQ(LogLines(root / "RavIrivuzo.log"),
              (Lines{"0:Switch Runtime Log Level from 'Off' to 'Info'", "2:here"}));
    fs::current_path(root.parent_path());
}

// Characters beyond U+FFFF cross the public boundary in a variable's value,
// a path, a path handed back and a traced scope: U+10000 and U+10FFFF, the
// first and last surrogate pairs, and U+FFFF, the last single unit.
TEST_F(ApiTest, SupplementaryCharactersCrossEveryBoundary) {
    const std::string edges = "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\xEF\xBF\xBF";
    SetEnv("PROGRAMDATA", (root / fs::u8path(edges)).u8string());
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    EXPECT_TRUE(fs::exists(root / fs::u8path(edges) / "Brivant" / "Licensing" /
                           ToPath(Log::GetLogPath()).filename()));

    const std::wstring path = Path(edges + ".log");
    Log::SetLogPath(path.c_str());
    EXPECT_EQ(std::wstring(Log::GetLogPath()), path);
    { Log::LogCppCall scope(L"%s", Wide(fs::u8path(edges)).c_str()); }
    const Lines lines = LogLines(root / fs::u8path(edges + ".log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "2:--> " + edges + " -- start");
    EXPECT_EQ(lines[1].rfind("2:<-- " + edges + " -- ended (", 0), 0u) << lines[1];
}

// The marker, CppLogger.json in the expert folder, is a file or a folder;
// logging is on at level 4 from the first call of the library on.
using ExpertTest = ApiTest;

TEST_F(ExpertTest, MarkerFileForcesVerboseIntoTheExpertFolder) {
    fs::create_directories(expert);
    WriteBytes(expert / "CppLogger.json", "{}");
    EXPECT_FALSE(IsExpertMode()) << "decided on the first call, not before";
    EXPECT_TRUE(SetLogLevel(1)) << "refused requests still succeed";
    EXPECT_TRUE(IsExpertMode());
    // Placed at level 4 before any logging call: the marker and the log.
    EXPECT_EQ(std::distance(fs::directory_iterator(expert), {}), 2);
    const fs::path path = ToPath(Log::GetLogPath());
    EXPECT_EQ(path.parent_path(), expert);
    Log::SetLogPath(Path("client.log").c_str());
    EXPECT_TRUE(SetLogFilePath(Path("client.log").c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_ERROR);
    Log::Verbose("verbose");
    Log::LogCppCall trace("scope");

    EXPECT_EQ(Log::GetLogLevel(), Log::LOGLEVEL_VERBOSE);
    EXPECT_EQ(ToPath(Log::GetLogPath()), path);
    EXPECT_EQ(LogLines(path), (Lines{"4:verbose", "2:--> scope -- start"}));
}

}  // namespace
}  // namespace vzv::test
