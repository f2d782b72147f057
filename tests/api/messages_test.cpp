#include "api_fixture.h"

#include <chrono>
#include <functional>
#include <thread>

namespace vzv::test {
namespace {

class MessagesTest : public ApiTest {
protected:
    void SetUp() override { ASSERT_TRUE(SetLogFilePath(Path("app.log").c_str())); }
    Lines Logged() { return LogLines(root / "app.log"); }
};

// One call each and the line it leaves ("" for none).
TEST_F(MessagesTest, WhatEachCallLogs) {
    Log::SetLogLevel(Log::LOGLEVEL_DEBUG);
    const std::string a(20000, 'a');
    const std::wstring w(20000, L'w');
    const std::pair<std::function<void()>, std::string> rows[] = {
        // Texts cut to their buffers, widths beyond them too.
        {[&] { Log::Error("%s", a.c_str()); }, "1:" + a.substr(0, 2047)},
        {[&] { Log::Information(L"%s", w.c_str()); }, "2:" + std::string(2047, 'w')},
        {[&] { Log::Debug("%s", a.c_str()); }, "3:" + a.substr(0, 16383)},
        {[&] { Log::Debug(L"%s", w.c_str()); }, "3:" + std::string(16383, 'w')},
        {[] { Log::Information("%999999999d", 5); }, "2:" + std::string(2047, ' ')},
        {[] { Log::Information("%*d", 1 << 30, 5); }, "2:" + std::string(2047, ' ')},
        {[] { Log::Debug("%.999999999f", 1.5); }, "3:1.5" + std::string(16380, '0')},
        // Each call's own width for %s and %c, the other for %S and %C.
        {[] { Log::Information(L"%s", L"wide"); }, "2:wide"},
        {[] { Log::Information("%S", L"wide"); }, "2:wide"},
        {[] { Log::Information(L"%S|%c|%C", "narrow", L'w', 'n'); }, "2:narrow|w|n"},
        {[] { Log::Information("%s|%c|%C|%hs|%ls", "narrow", 'n', L'w', "h", L"l"); }, "2:narrow|n|w|h|l"},
        {[] { Log::Information("caf\xC3\xA9 %s", "\xE2\x82\xAC"); }, "2:caf\xC3\xA9 \xE2\x82\xAC"},
        {[] { Log::Information(L"caf\u00E9 \U0001F600"); }, "2:caf\xC3\xA9 \xF0\x9F\x98\x80"},
        // Bad input: invalid conversions stay as text, null texts print
        // "(null)", a null format logs nothing, ill-formed UTF-8 an empty line.
        {[] { Log::Error("%k and a lone %"); }, "1:%k and a lone %"},
        {[] { Log::Information(L"100%"); }, "2:100%"},
        {[] { Log::Information("%s|%S", static_cast<const char*>(nullptr), static_cast<const wchar_t*>(nullptr)); },
         "2:(null)|(null)"},
        {[] { Log::Error(static_cast<const char*>(nullptr)); }, ""},
        {[] { Log::Error(static_cast<const wchar_t*>(nullptr)); }, ""},
        {[] { Log::Information("%s", "caf\xC3"); }, "2:"},
        {[] { Log::Information("\xED\xA0\x80 a surrogate"); }, "2:"},
        // A NUL ends the text.
        {[] { Log::Information("x%cy", 0); }, "2:x"},
        {[] { Log::Information(L"x%cy", L'\0'); }, "2:x"},
    };
    Lines expected;
    for (const auto& [call, line] : rows) {
        call();
        if (!line.empty()) expected.push_back(line);
    }
    EXPECT_EQ(Logged(), expected);

    // Line breaks inside a text are written as given.
    Log::Information("a\r\nb\nc\rd");
    Log::Information(L"w\r\nx");
    const std::u16string text = ReadUtf16(root / "app.log");
    EXPECT_NE(text.find(u"| a\r\nb\nc\rd\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"| w\r\nx\r\n"), std::u16string::npos);
}

TEST_F(MessagesTest, TracedScopes) {
    Log::SetLogLevel(Log::LOGLEVEL_ERROR);
    { Log::LogCppCall idle("not traced %d", 1); }
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    {
        Log::LogCppCall outer("outer %s %d%%", "text", 5);
        Log::LogCppCall inner(L"inner");
        Log::LogCppCall empty("");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the time it reports
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
