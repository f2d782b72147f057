#include "api_fixture.h"

#include <chrono>
#include <thread>

namespace vzv::test {
namespace {

using Lines = std::vector<std::string>;

class MessagesTest : public ApiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(SetLogFilePath(Path("app.log").c_str()));
    }
    Lines Logged() { return LogLines(root / "app.log"); }
};

TEST_F(MessagesTest, LongMessagesAreCutToTheirBuffers) {
    Log::SetLogLevel(Log::LOGLEVEL_DEBUG);
    const std::string text(20000, 'a');
    const std::wstring wide(3000, L'w');
    Log::Error("%s", text.c_str());
    Log::Information(L"%s", wide.c_str());
    Log::Debug("%s", text.c_str());
    Log::Debug(L"%s", std::wstring(20000, L'd').c_str());
    const Lines lines = Logged();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "1:" + text.substr(0, 2047));
    EXPECT_EQ(lines[1], "2:" + std::string(2047, 'w'));
    EXPECT_EQ(lines[2], "3:" + text.substr(0, 16383));
    EXPECT_EQ(lines[3], "3:" + std::string(16383, 'd'));
}

TEST_F(MessagesTest, WideAndNarrowConversionRules) {
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::Information(L"%s", L"wide");
    Log::Information("%S", L"wide");
    Log::Information(L"%S|%c|%C", "narrow", L'w', 'n');
    Log::Information("%s|%c|%C|%hs|%ls", "narrow", 'n', L'w', "h", L"l");
    Log::Information("caf\xC3\xA9 %s", "\xE2\x82\xAC");
    Log::Information(L"caf\u00E9 \U0001F600");
    EXPECT_EQ(Logged(), (Lines{"2:wide", "2:wide", "2:narrow|w|n", "2:narrow|n|w|h|l",
                               "2:caf\xC3\xA9 \xE2\x82\xAC", "2:caf\xC3\xA9 \xF0\x9F\x98\x80"}));
}

TEST_F(MessagesTest, TracedScopes) {
    Log::SetLogLevel(Log::LOGLEVEL_ERROR);
    { Log::LogCppCall idle("not traced %d", 1); }
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    {
        Log::LogCppCall outer("outer %s %d%%", "text", 5);
        Log::LogCppCall inner(L"inner");
        Log::LogCppCall empty("");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    {
        Log::LogCppCall lowered("lowered");
        Log::SetLogLevel(Log::LOGLEVEL_ERROR);
    }
    Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    {
        Log::SetLogLevel(Log::LOGLEVEL_ERROR);
        Log::LogCppCall idle("idle when built");
        Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    }
    { Log::LogCppCall longest("%s", std::string(3000, 'x').c_str()); }
    const Lines lines = Logged();
    ASSERT_EQ(lines.size(), 14u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0], "0:Switch Runtime Log Level from 'Error' to 'Info'");
    EXPECT_EQ(lines[1], "2:--> outer text 5% -- start");
    EXPECT_EQ(lines[2], "2:--> inner -- start");
    EXPECT_EQ(lines[3], "2:-->  -- start");
    EXPECT_EQ(lines[4].rfind("2:<--  -- ended (", 0), 0u) << lines[4];
    EXPECT_EQ(lines[5].rfind("2:<-- inner -- ended (", 0), 0u) << lines[5];
    EXPECT_EQ(lines[6].rfind("2:<-- outer text 5% -- ended (", 0), 0u) << lines[6];
    EXPECT_GE(std::stoi(lines[6].substr(lines[6].find('(') + 1)), 20);
    EXPECT_EQ(lines[6].substr(lines[6].size() - 3), "ms)");
    // Lowered inside the scope: a start line only.
    EXPECT_EQ(lines[7], "2:--> lowered -- start");
    EXPECT_EQ(lines[8], "0:Switch Runtime Log Level from 'Info' to 'Error'");
    // An object built below Information logs nothing, even when the level
    // allows it at its end.
    EXPECT_EQ(lines[11], "0:Switch Runtime Log Level from 'Error' to 'Verbose'");
    // Lines are cut at the longest that Information keeps.
    EXPECT_EQ(lines[12], "2:--> " + std::string(2043, 'x'));
    EXPECT_EQ(lines[13], "2:<-- " + std::string(2043, 'x'));
}

}  // namespace
}  // namespace vzv::test
