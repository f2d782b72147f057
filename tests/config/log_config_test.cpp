#include "config/log_config.h"

#include "platform/platform.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

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
// of about now.
void ExpectFreshDefault(const std::u16string& path, const std::u16string& dir) {
    ASSERT_EQ(Narrow(path.substr(0, dir.size())), Narrow(dir));
    const std::string name = Narrow(path.substr(dir.size()));
    ASSERT_TRUE(std::regex_match(name, std::regex(R"(VuzavovEro_\d{4}(-\d\d){2}_\d\d(-\d\d){2}\.log)")))
        << name;
    std::tm t{};
    t.tm_isdst = -1;
    std::istringstream(name) >> std::get_time(&t, "VuzavovEro_%Y-%m-%d_%H-%M-%S.log");
    EXPECT_NEAR(std::mktime(&t), std::time(nullptr), 2) << name;
}

TEST(LogConfig, ClientPathsExpertModeAndMissingProgramData) {
    SetEnv("PROGRAMDATA", "X:\\Data");
    SetEnv("VZV_DIR", "D:\\Expanded");
    const std::u16string licensing = u"X:\\Data\\Brivant\\Licensing\\";
    const std::u16string first = CLogConfig::GetLogPath();
    ExpectFreshDefault(first, licensing);
    EXPECT_EQ(CLogConfig::GetLogPath(), first);  // the default, once built, stays
    EXPECT_EQ(CLogConfig::GetLogLevel(), 0);
    // Paths that name no file get a fresh default in their place; the others
    // stay as they were set.
    const std::pair<const char16_t*, bool> clients[] = {
        {u"C:\\Logs\\", false},       {u"C:\\Logs/", false},         {u"C:\\Logs\\abcd", false},
        {u"", false},                 {u"C:\\Logs\\a.log", true},    {u"%VZV_DIR%\\app.log", true},
        {u"X:\\Data\\Brivant\\Licensing\\VuzavovEro_2001-02-03_04-05-06.log", true}};
    for (const auto& [client, stays] : clients) {
        CLogConfig::s_wsLogPath = client;
        if (!stays) ExpectFreshDefault(CLogConfig::GetLogPath(), licensing);
        EXPECT_EQ(CLogConfig::GetLogPath() == std::u16string(client), stays) << Narrow(client);
    }
    CLogConfig::s_eLogLevel = 2;
    CLogConfig::s_bExpertMode = true;
    CLogConfig::s_wsLogPath.clear();
    EXPECT_EQ(CLogConfig::GetLogLevel(), 4);
    ExpectFreshDefault(CLogConfig::GetLogPath(), u"X:\\Data\\Brivant\\LOG.Expert\\");
    // Without PROGRAMDATA, the user's own state directory takes its place.
    test::UnsetEnv("PROGRAMDATA");
    SetEnv("XDG_STATE_HOME", "/tmp/vzv-state");
#ifndef _WIN32
    ASSERT_EQ(platform::UserStateDirectory(), u"/tmp/vzv-state");
#endif
    CLogConfig::s_wsLogPath.clear();
    ExpectFreshDefault(CLogConfig::GetLogPath(),
                       platform::UserStateDirectory() + u"\\Brivant\\LOG.Expert\\");
}

// Left to right, values rescanned; a value's "%" pairs with the text's; a
// value that names itself ends after 64 references.
TEST(LogConfig, ExpansionTable) {
    const std::pair<const char*, const char*> variables[] = {
        {"VZV_A", "alpha"}, {"VZV_B", "%VZV_A%-b"}, {"VZV_P", "%VZV_"}, {"VZV_SELF", "%VZV_SELF%x"}};
    for (const auto& [name, value] : variables) SetEnv(name, value);
    test::UnsetEnv("VZV_NONE");
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"", u""},
        {u"plain", u"plain"},
        {u"50%", u"50%"},
        {u"a%%b", u"ab"},
        {u"%VZV_NONE%x", u"x"},
        {u"%VZV_A%%", u"alpha%"},
        {u"%VZV_A%/%VZV_B%", u"alpha/alpha-b"},
        {u"%VZV_P%A%", u"alpha"},
        {u"%VZV_NONE%VZV_A%", u"VZV_A%"},
        {u"%VZV_SELF%", u"%VZV_SELF%" + std::u16string(64, u'x')}};
    for (auto [text, expected] : cases) {
        CLogConfig::ExpandEnvVars(text);
        EXPECT_EQ(Narrow(text), Narrow(expected));
    }
}

}  // namespace
}  // namespace vzv
