#include "path/path_utils.h"
#include "placement/log_placement.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace vzv::test {

namespace fs = std::filesystem;

// A relative path joined to its base and normalised, as the writer's default
// folder is made; the base name drops four units.
TEST(PathUtils, AbsoluteFormsAndBaseNames) {
    EXPECT_EQ(MakeAbsolutePath(u"x\\..\\.\\y//abcd", u"C:\\work"), u"C:\\work\\y/abcd");
    EXPECT_EQ(MakeAbsolutePath(u"D:\\.\\abcd.log", u"C:\\work"), u"D:\\abcd.log");
    EXPECT_EQ(GetFileBaseName(u"D:\\abcd.log"), u"abcd");
    EXPECT_EQ(GetFileBaseName(u"C:\\work\\y/abcd"), u"");
}

// "~" stands for a fresh folder that holds file.txt. `folder` must be one
// afterwards when the call succeeds, and must not be one when it fails.
TEST(PathUtils, EnsureDirectoriesTable) {
    const std::tuple<std::u16string, bool, const char*> cases[] = {
        {u"~\\New\\\\Deeper//app.log", true, "New/Deeper"},
        {u"~/New\\D\u00E9\U0001F600\\" + std::u16string(255, u'n') + u".log", true,
         "New/D\xC3\xA9\xF0\x9F\x98\x80"},
        {u"~\\New\\" + std::u16string(256, u'n') + u".log", false, "New"},
        {u"~\\file.txt\\", false, "file.txt"},  // the last object is a file
        // A server name is never created.
        {u"//vzv-no-server", false, ""}, {u"\\\\vzv-no-server\\share\\Logs\\a.log", false, ""},
#ifndef _WIN32
        // POSIX reads "//" as "/": the walk begins after the "server" (here
        // the first folder). As root, /vzv-no-server would appear otherwise.
        {u"/~/New/a.log", true, "New"},
#endif
    };
    for (auto [path, result, folder] : cases) {
        const ScratchDir dir("ensure");
        WriteBytes(dir.path() / "file.txt", "x");
        const auto home = path.find(u'~');
        if (home != std::u16string::npos) path.replace(home, 1, Utf16(dir.path()));
        EXPECT_EQ(EnsurePathDirectories(path.c_str()), result) << Narrow(path);
        if (*folder == 0) continue;
        EXPECT_EQ(fs::is_directory(dir.path() / fs::u8path(folder)), result) << folder;
    }
    EXPECT_FALSE(fs::exists("/vzv-no-server"));
}

// The start-up log's name beside a log: cut at the first ".log".
TEST(StartupLogName, CutsAtTheFirstDotLog) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"C:\\Logs\\App_1.log", u"C:\\Logs\\App_1.startup.log"},
        {u"D:\\x\\run.logfile", u"D:\\x\\run.startup.log"},
        {u"D:\\old.logs\\run.log", u"D:\\old.startup.log"},
        {u"D:\\x\\run.txt", u"D:\\x\\run.txt"}, {u"D:\\x\\run.LOG", u"D:\\x\\run.LOG"}, {u".lo", u".lo"},
    };
    for (const auto& [path, startup] : cases) EXPECT_EQ(StartupLogName(path), startup);
}

}  // namespace vzv::test
