#include "api_fixture.h"

#include <chrono>
#include <functional>
#include <thread>

namespace vzv::test {
namespace {

class MessagesTest : public ApiTest {
protected:
    void SetUp() override { ASSERT_TRUE(SetLogFilePath(Path("app.log").c_str())); }
};

// One call each and the line it leaves ("" for none).
TEST_F(MessagesTest, WhatEachCallLogs) {
    Log::SetLogLevel(Log::LOGLEVEL_DEBUG);
    const std::string a(20000, 'a');
    const std::wstring w(20000, L'w');
    const std::pair<std::function<void()>, std::string> rows[] = {
        // Texts cut to each call's buffer.
        {[&] { Log::Error("%s", a.c_str()); }, "1:" + a.substr(0, 2047)},
        {[&] { Log::Information(L"%s", w.c_str()); }, "2:" + std::string(2047, 'w')},
        {[&] { Log::Debug("%s", a.c_str()); }, "3:" + a.substr(0, 16383)},
        {[&] { Log::Debug(L"%s", w.c_str()); }, "3:" + std::string(16383, 'w')},
        {[] { Log::Information("caf\xC3\xA9 %s", "\xE2\x82\xAC"); }, "2:caf\xC3\xA9 \xE2\x82\xAC"},
        // Bad input: null texts print "(null)", a null format logs nothing,
        // ill-formed UTF-8 an empty line.
        {[] { Log::Information("%s|%S", nullptr, nullptr); }, "2:(null)|(null)"},
        {[] { Log::Error(static_cast<const char*>(nullptr)); }, ""},
        {[] { Log::Error(static_cast<const wchar_t*>(nullptr)); }, ""},
        {[] { Log::Information("%s", "caf\xC3"); }, "2:"},
        // A NUL ends the text, also one in a text that is cut.
        {[] { Log::Information("x%cy", 0); }, "2:x"},
        {[] { Log::Information(L"x%cy", L'\0'); }, "2:x"},
        {[] { Log::Information("cut a%cb%3000s", 0, ""); }, "2:cut a"},
        {[] { Log::Information(L"cut a%cb%3000s", L'\0', L""); }, "2:cut a"},
    };
    Lines expected;
    for (const auto& [call, line] : rows) {
        call();
        if (!line.empty()) expected.push_back(line);
    }
    EXPECT_EQ(LogLines(root / "app.log"), expected);
}

// Built below Information, a scope traces nothing, even when the level allows
// it at its end; lowered inside the scope, it leaves a start line only.
TEST_F(MessagesTest, TracedScopes) {
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    {
        Log::LogCppCall outer("outer %s %d%%", "text", 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the time it reports
    }
    { Log::LogCppCall lowered("lowered"); Log::SetLogLevel(Log::LOGLEVEL_ERROR); }
    { Log::LogCppCall idle("idle when built"); Log::SetLogLevel(Log::LOGLEVEL_VERBOSE); }
    { Log::LogCppCall longest("%s", std::string(3000, 'x').c_str()); }
    // Each scope's time checked apart, at least the 20 ms slept in outer.
    Lines lines = LogLines(root / "app.log");
    for (std::string& line : lines) {
        const std::size_t at = line.find(" -- ended (");
        if (at == std::string::npos) continue;
        EXPECT_EQ(line.substr(line.size() - 3), "ms)") << line;
        EXPECT_GE(std::stoi(line.substr(at + 11)),
                  line.find("outer") != std::string::npos ? 20 : 0);
        line.erase(at + 9);
    }
    const std::string x(2043, 'x');  // cut at the longest line Information keeps
    EXPECT_EQ(lines,
              (Lines{"2:--> outer text 5% -- start", "2:<-- outer text 5% -- ended",
                     "2:--> lowered -- start", "0:Switch Runtime Log Level from 'Info' to 'Error'",
                     "0:Switch Runtime Log Level from 'Error' to 'Verbose'", "2:--> " + x,
                     "2:<-- " + x}));
}

}  // namespace
}  // namespace vzv::test
