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

namespace vzv {
namespace {

using test::Narrow;

using test::SetEnv;

const std::u16string kLicensing = u"X:\\Data\\Brivant\\Licensing\\";

// `path` must be `dir` followed by a default name stamped with the local time
// of a moment since `from` (a second of slack each side).
void ExpectFreshDefault(const std::u16string& path, const std::u16string& dir, std::time_t from) {
    const std::string name = Narrow(path.substr(std::min(dir.size(), path.size())));
    ASSERT_TRUE(path.compare(0, dir.size(), dir) == 0 &&
                std::regex_match(name, std::regex(R"(VuzavovEro_\d{4}(-\d\d){2}_\d\d(-\d\d){2}\.log)")))
        << Narrow(path);
    std::tm t{};
    t.tm_isdst = -1;
    std::istringstream(name) >> std::get_time(&t, "VuzavovEro_%Y-%m-%d_%H-%M-%S.log");
    const std::time_t at = std::mktime(&t);
    EXPECT_GE(at, from - 1) << name;
    EXPECT_LE(at, std::time(nullptr) + 1) << name;
}

TEST(LogConfig, ClientPathsAndExpertMode) {
    SetEnv("PROGRAMDATA", "X:\\Data");
    SetEnv("VZV_DIR", "D:\\Expanded");
    // The default, once built, stays.
    const std::u16string first = CLogConfig::GetLogPath();
    ExpectFreshDefault(first, kLicensing, std::time(nullptr));
    EXPECT_EQ(CLogConfig::GetLogPath(), first);
    EXPECT_EQ(CLogConfig::GetLogLevel(), 0);
    const struct {
        const char16_t* client;
        bool replaced;  // names no file, so a fresh default takes its place
    } cases[] = {{u"C:\\Logs\\", true}, {u"C:\\Logs/", true},        {u"C:\\Logs\\abcd", true},
                 {u"", true},           {u"C:\\Logs\\a.log", false}, {u"%VZV_DIR%\\app.log", false},
                 {u"X:\\Data\\Brivant\\Licensing\\VuzavovEro_2001-02-03_04-05-06.log", false}};
    for (const auto& c : cases) {
        CLogConfig::s_wsLogPath = c.client;
        const std::time_t from = std::time(nullptr);
        if (c.replaced)
            ExpectFreshDefault(CLogConfig::GetLogPath(), kLicensing, from);
        else
            EXPECT_EQ(CLogConfig::GetLogPath(), std::u16string(c.client));
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
    ExpectFreshDefault(CLogConfig::GetLogPath(),
                       platform::UserStateDirectory() + u"\\Brivant\\Licensing\\", std::time(nullptr));
}

TEST(LogConfig, ExpansionTable) {
    SetEnv("VZV_A", "alpha");
    SetEnv("VZV_B", "%VZV_A%-b");
    SetEnv("VZV_P", "%VZV_");
    test::UnsetEnv("VZV_NONE");
    SetEnv("VZV_SELF", "%VZV_SELF%x");
    SetEnv("VZV_TWICE", "%VZV_TWICE%%VZV_TWICE%");
    const struct {
        const char16_t *in, *out;
    } cases[] = {
        {u"", u""},           {u"plain", u"plain"},     {u"50%", u"50%"},
        {u"a%%b", u"ab"},     {u"%VZV_NONE%x", u"x"},   {u"%VZV_A%%", u"alpha%"},
        {u"%VZV_A%/%VZV_B%", u"alpha/alpha-b"},  // left to right, values rescanned
        {u"%VZV_P%A%", u"alpha"},                // a value's "%" pairs with the text's
        {u"%VZV_NONE%VZV_A%", u"VZV_A%"},
    };
    for (const auto& c : cases) {
        std::u16string text = c.in;
        CLogConfig::ExpandEnvVars(text);
        EXPECT_EQ(text, c.out) << Narrow(c.in);
    }
    // Values that name themselves: the expansion ends after 64 references.
    std::u16string text = u"%VZV_SELF%";
    CLogConfig::ExpandEnvVars(text);
    EXPECT_EQ(text, u"%VZV_SELF%" + std::u16string(64, u'x'));
    text = u"%VZV_TWICE%";
    CLogConfig::ExpandEnvVars(text);
    EXPECT_LT(text.size(), 4096u);
}

}  // namespace
}  // namespace vzv
