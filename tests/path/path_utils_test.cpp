#include "path/path_utils.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <vector>

namespace vzv {
namespace {

namespace fs = std::filesystem;
using test::Narrow;
using test::ScratchDir;

TEST(PathUtils, FileBaseName) {
    const struct {
        const char16_t* path;
        const char16_t* base;
    } cases[] = {
        {u"C:\\Logs\\app.log", u"app"}, {u"C:\\Logs\\", u""},   {u"C:\\Logs\\abcd", u""},
        {u"C:\\Logs\\ab", u"ab"},       {u"app.log", u"app"},   {u"C:/x/run.txt", u"run"},
        {u"a\\b/c.log", u"c"},          {u"a/b\\c.log", u"c"},  {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(GetFileBaseName(c.path), c.base) << Narrow(c.path);
}

// Each case runs in a fresh folder; `path` is appended to it, `made` must be
// directories afterwards and `absent` must not exist.
TEST(PathUtils, EnsureDirectoriesTable) {
    const std::u16string name255(255, u'n'), name256(256, u'n');
    const struct {
        std::u16string path;
        bool result;
        std::vector<const char*> made, absent;
    } cases[] = {
        {u"\\New\\Deeper\\app.log", true, {"New/Deeper"}, {"New/Deeper/app.log"}},
        {u"//New//Deeper//app.log", true, {"New/Deeper"}, {"New/Deeper/app.log"}},
        {u"\\\\New\\\\app.log", true, {"New"}, {"New/app.log"}},
        {u"/New\\Deeper/app.log", true, {"New/Deeper"}, {}},
        {u"\\New\\.hidden", true, {"New"}, {"New/.hidden"}},
        {u"\\New\\noext", true, {"New"}, {"New/noext"}},
        {u"\\New\\Deeper\\", true, {"New/Deeper"}, {}},
        {u"//New//Deeper/", true, {"New/Deeper"}, {}},
        {u"\\New\\" + name255 + u".log", true, {"New"}, {}},
        {u"\\New\\" + name256 + u".log", false, {}, {"New"}},
        {u"\\New\\x." + name255, false, {}, {"New"}},
        {u"\\file.txt\\", false, {}, {}},            // the last object is a file
        {u"\\file.txt\\Sub\\app.log", false, {}, {"file.txt/Sub"}},
    };
    for (const auto& c : cases) {
        const ScratchDir dir("ensure");
        test::WriteBytes(dir.path() / "file.txt", "x");
        EXPECT_EQ(EnsurePathDirectories((test::Utf16(dir.path()) + c.path).c_str()), c.result)
            << Narrow(c.path);
        for (const char* made : c.made) EXPECT_TRUE(fs::is_directory(dir.path() / made)) << made;
        for (const char* absent : c.absent) EXPECT_FALSE(fs::exists(dir.path() / absent)) << absent;
    }
}

TEST(PathUtils, RelativePathUsesWorkingDirectory) {
    const ScratchDir dir("relative");
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const bool result = EnsurePathDirectories(u"Rel\\Sub\\app.log");
    fs::current_path(previous);
    EXPECT_TRUE(result);
    EXPECT_TRUE(fs::is_directory(dir.path() / "Rel" / "Sub"));
}

TEST(PathUtils, ServerNameIsNeverCreated) {
    for (const char16_t* path : {u"//vzv-no-server", u"\\\\vzv-no-server", u"//vzv-no-server/",
                                 u"\\\\vzv-no-server\\share\\Logs\\app.log"})
        EXPECT_FALSE(EnsurePathDirectories(path)) << Narrow(path);
#ifdef _WIN32
    EXPECT_FALSE(EnsurePathDirectories(u"Q:\\x\\y.log"));  // no such drive
    EXPECT_FALSE(fs::exists("Q:\\x"));
#else
    // POSIX reads "//" as "/": the walk must begin after the "server" (here
    // the first folder), or running as root would create /vzv-no-server.
    EXPECT_FALSE(fs::exists("/vzv-no-server"));
    const ScratchDir dir("unc");
    EXPECT_TRUE(EnsurePathDirectories((u"/" + test::Utf16(dir.path()) + u"/New/a.log").c_str()));
    EXPECT_TRUE(fs::is_directory(dir.path() / "New"));
    EXPECT_FALSE(EnsurePathDirectories(u"/proc/vzv-none/x/y.log"));  // cannot be created
#endif
}

}  // namespace
}  // namespace vzv
