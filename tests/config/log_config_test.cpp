#include "config/log_config.h"

#include "platform/platform.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <iomanip>
#include <sstream>
#include <string>
#include <utility>

namespace vzv::test {
namespace {

// `path` must be `dir` followed by the default name stamped with the local
// time of this second or the one before. (Read from the precise clock:
// std::time may trail it by a tick.)
void ExpectFreshDefault(const std::u16string& path, const std::u16string& dir) {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const auto stamped = [&](std::time_t at) {
        std::ostringstream name;
        name << Narrow(dir)
             << std::put_time(std::localtime(&at), "VuzavovEro_%Y-%m-%d_%H-%M-%S.log");
        return Narrow(path) == name.str();
    };
    EXPECT_TRUE(stamped(now) || stamped(now - 1)) << Narrow(path);
}

TEST(LogConfig, DefaultPathWithAndWithoutProgramData) {
    SetEnv("PROGRAMDATA", "X:\\Data");
    ExpectFreshDefault(CLogConfig::GetLogPath(), u"X:\\Data\\Brivant\\Licensing\\");
    // A path that names a file stays as it was set, unexpanded, even when it
    // looks like a default.
    SetEnv("VZV_DIR", "D:\\Expanded");
    const std::u16string client = u"%VZV_DIR%\\VuzavovEro_2001-02-03_04-05-06.log";
    CLogConfig::s_wsLogPath = client;
    EXPECT_EQ(CLogConfig::GetLogPath(), client);
    // Without PROGRAMDATA, the user's own state directory takes its place.
    UnsetEnv("PROGRAMDATA");
    SetEnv("XDG_STATE_HOME", "/tmp/vzv-state");
#ifndef _WIN32
    ASSERT_EQ(platform::UserStateDirectory(), u"/tmp/vzv-state");
#endif
    CLogConfig::s_wsLogPath = u"C:\\Logs\\";  // names no file: a fresh default in its place
    ExpectFreshDefault(CLogConfig::GetLogPath(),
                       platform::UserStateDirectory() + u"\\Brivant\\Licensing\\");
}

// Left to right, values rescanned; a value's "%" pairs with the text's; a
// value that names itself ends after 64 references.
TEST(LogConfig, ExpansionTable) {
    SetEnv("VZV_A", "alpha");
    SetEnv("VZV_P", "%VZV_");
    SetEnv("VZV_SELF", "%VZV_SELF%x");
    UnsetEnv("VZV_NONE");
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"a%%b", u"ab"}, {u"%VZV_A%%", u"alpha%"}, {u"%VZV_P%A%", u"alpha"},
        {u"%VZV_NONE%VZV_A%", u"VZV_A%"}, {u"%VZV_SELF%", u"%VZV_SELF%" + std::u16string(64, u'x')},
    };
    for (auto [text, expected] : cases) {
        CLogConfig::ExpandEnvVars(text);
        EXPECT_EQ(Narrow(text), Narrow(expected));
    }
}

}  // namespace
}  // namespace vzv::test
