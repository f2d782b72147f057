#include "config/log_config.h"

#include "platform/platform.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <iomanip>
#include <regex>
#include <sstream>
#include <string>
#include <utility>

namespace vzv {
namespace {

using test::Narrow;
using test::SetEnv;

// `path` must be `dir` followed by a default name stamped with the local time
// of a moment since `from` (a second of slack each side).
void ExpectFreshDefault(const std::u16string& path, const std::u16string& dir, std::time_t from) {
    const std::string name = Narrow(path.substr(std::min(dir.size(), path.size())));
    std::tm t{};
    t.tm_isdst = -1;
    std::istringstream(name) >> std::get_time(&t, "VuzavovEro_%Y-%m-%d_%H-%M-%S.log");
    ASSERT_TRUE(path.compare(0, dir.size(), dir) == 0 &&
                std::regex_match(name, std::regex(R"(VuzavovEro_\d{4}(-\d\d){2}_\d\d(-\d\d){2}\.log)")))
        << Narrow(path);
    EXPECT_TRUE(std::mktime(&t) >= from - 1 && std::mktime(&t) <= std::time(nullptr) + 1) << name;
}

TEST(LogConfig, ClientPathsAndExpertMode) {
    SetEnv("PROGRAMDATA", "X:\\Data");
    SetEnv("VZV_DIR", "D:\\Expanded");
    const std::u16string licensing = u"X:\\Data\\Brivant\\Licensing\\", first = CLogConfig::GetLogPath();
    ExpectFreshDefault(first, licensing, std::time(nullptr));
    EXPECT_EQ(CLogConfig::GetLogPath(), first);  // the default, once built, stays
    EXPECT_EQ(CLogConfig::GetLogLevel(), 0);
    // Paths that name no file get a fresh default in their place.
    for (const char16_t* client : {u"C:\\Logs\\", u"C:\\Logs/", u"C:\\Logs\\abcd", u""}) {
        CLogConfig::s_wsLogPath = client;
        ExpectFreshDefault(CLogConfig::GetLogPath(), licensing, std::time(nullptr));
    }
    for (const char16_t* client : {u"C:\\Logs\\a.log", u"%VZV_DIR%\\app.log",
                                   u"X:\\Data\\Brivant\\Licensing\\VuzavovEro_2001-02-03_04-05-06.log"}) {
        CLogConfig::s_wsLogPath = client;
        EXPECT_EQ(CLogConfig::GetLogPath(), std::u16string(client));
    }
    CLogConfig::s_eLogLevel = 2;
    CLogConfig::s_bExpertMode = true;
    CLogConfig::s_wsLogPath.clear();
    EXPECT_EQ(CLogConfig::GetLogLevel(), 4);
    ExpectFreshDefault(CLogConfig::GetLogPath(), u"X:\\Data\\Brivant\\LOG.Expert\\", std::time(nullptr));
}

TEST(LogConfig, MissingProgramDataFallsBackToUserStateDirectory) {
    test::UnsetEnv("PROGRAMDATA");
    SetEnv("XDG_STATE_HOME", "/tmp/vzv-state");
#ifndef _WIN32
    ASSERT_EQ(platform::UserStateDirectory(), u"/tmp/vzv-state");
#endif
    ExpectFreshDefault(CLogConfig::GetLogPath(), platform::UserStateDirectory() + u"\\Brivant\\Licensing\\",
                       std::time(nullptr));
}

// Left to right, values rescanned; a value's "%" pairs with the text's; values
// that name themselves end after 64 references.
TEST(LogConfig, ExpansionTable) {
    for (const auto& [name, value] :
         {std::pair<const char*, const char*>{"VZV_A", "alpha"}, {"VZV_B", "%VZV_A%-b"}, {"VZV_P", "%VZV_"},
          {"VZV_SELF", "%VZV_SELF%x"}, {"VZV_TWICE", "%VZV_TWICE%%VZV_TWICE%"}})
        SetEnv(name, value);
    test::UnsetEnv("VZV_NONE");
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"", u""}, {u"plain", u"plain"}, {u"50%", u"50%"}, {u"a%%b", u"ab"}, {u"%VZV_NONE%x", u"x"},
        {u"%VZV_A%%", u"alpha%"}, {u"%VZV_A%/%VZV_B%", u"alpha/alpha-b"}, {u"%VZV_P%A%", u"alpha"},
        {u"%VZV_NONE%VZV_A%", u"VZV_A%"}, {u"%VZV_SELF%", u"%VZV_SELF%" + std::u16string(64, u'x')}};
    for (auto [text, expected] : cases) {
        CLogConfig::ExpandEnvVars(text);
        EXPECT_EQ(text, expected);
    }
    std::u16string text = u"%VZV_TWICE%";
    CLogConfig::ExpandEnvVars(text);
    EXPECT_LT(text.size(), 4096u);
}

}  // namespace
}  // namespace vzv
