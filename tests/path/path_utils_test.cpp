#include "path/path_utils.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <vector>

namespace vzv {
namespace {

namespace fs = std::filesystem;
using test::Narrow;

TEST(PathUtils, PureFunctionsTable) {
    const struct {
        const char16_t *in, *normal, *base;
        bool absolute;
    } cases[] = {
        {u"C:\\a\\\\b", u"C:\\a\\b", u"b", true},
        {u"\\\\server\\share", u"\\\\server\\share", u"s", true},
        {u"C:\\a\\.\\b.log", u"C:\\a\\b.log", u"b", true},
        {u"C:\\work\\.", u"C:\\work\\", u".", true},
        {u"C:\\a\\b\\..\\..\\c", u"C:\\c", u"c", true},
        {u"C:\\..\\a\\b\\..\\", u"C:\\..\\a\\", u"", true},  // a ".." with nothing before it stays
        {u"/a//b/./c/../d.txt", u"/a/b/d.txt", u"d", true},  // slashes separate too, and stay
        {u"C:/a\\b/..", u"C:/a", u"..", true},
        {u"C:", u"C:", u"C:", true},
        {u"a/b\\abcd", u"a/b\\abcd", u"", false},  // the base name drops four units
        {u"ab:c\\app.log", u"ab:c\\app.log", u"app", false},
        {u"", u"", u"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormalizePath(c.in), c.normal) << Narrow(c.in);
        EXPECT_EQ(GetFileBaseName(c.in), c.base) << Narrow(c.in);
        EXPECT_EQ(IsAbsolutePath(c.in), c.absolute) << Narrow(c.in);
    }
    EXPECT_EQ(MakeAbsolutePath(u".", u"C:\\"), u"C:\\");
    EXPECT_EQ(MakeAbsolutePath(u".", u"C:\\work"), u"C:\\work\\");
    EXPECT_EQ(MakeAbsolutePath(u"D:\\x\\.\\y", u"C:\\work"), u"D:\\x\\y");
    EXPECT_EQ(MakeAbsolutePath(u".").back(), u'\\');  // the working directory by default
}

// Each case runs in a fresh folder holding file.txt; `path` is appended to
// it, `made` must be folders afterwards and `absent` must not exist.
TEST(PathUtils, EnsureDirectoriesTable) {
    const std::u16string name255(255, u'n'), name256(256, u'n');
    const struct {
        std::u16string path;
        bool result;
        std::vector<const char*> made, absent;
    } cases[] = {
        {u"\\New\\Deeper\\app.log", true, {"New/Deeper"}, {"New/Deeper/app.log"}},
        {u"//New//Deeper/", true, {"New/Deeper"}, {}},
        {u"\\\\New\\\\app.log", true, {"New"}, {"New/app.log"}},
        {u"/New\\D\u00E9\U0001F600/noext", true, {"New/D\xC3\xA9\xF0\x9F\x98\x80"}, {"New/D\xC3\xA9\xF0\x9F\x98\x80/noext"}},
        {u"\\New\\.hidden", true, {"New"}, {"New/.hidden"}},
        {u"\\New\\" + name255 + u".log", true, {"New"}, {}},
        {u"\\New\\" + name256 + u".log", false, {}, {"New"}},
        {u"\\New\\x." + name255, false, {}, {"New"}},
        {u"\\file.txt\\", false, {}, {}},  // the last object is a file
        {u"\\file.txt\\Sub\\app.log", false, {}, {"file.txt/Sub"}},
    };
    for (const auto& c : cases) {
        const test::ScratchDir dir("ensure");
        test::WriteBytes(dir.path() / "file.txt", "x");
        EXPECT_EQ(EnsurePathDirectories((test::Utf16(dir.path()) + c.path).c_str()), c.result) << Narrow(c.path);
        for (const char* made : c.made) EXPECT_TRUE(fs::is_directory(dir.path() / fs::u8path(made))) << made;
        for (const char* absent : c.absent) EXPECT_FALSE(fs::exists(dir.path() / fs::u8path(absent))) << absent;
    }
    const test::ScratchDir dir("relative");  // relative paths start at the working directory
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const bool result = EnsurePathDirectories(u"Rel\\Sub\\app.log");
    fs::current_path(previous);
    EXPECT_TRUE(result && fs::is_directory(dir.path() / "Rel" / "Sub"));
}

TEST(PathUtils, ServerNameIsNeverCreated) {
    for (const char16_t* path : {u"//vzv-no-server", u"\\\\vzv-no-server\\", u"\\\\vzv-no-server\\share\\Logs\\a.log"})
        EXPECT_FALSE(EnsurePathDirectories(path)) << Narrow(path);
#ifdef _WIN32
    EXPECT_FALSE(EnsurePathDirectories(u"Q:\\x\\y.log"));  // no such drive
    EXPECT_FALSE(fs::exists("Q:\\x"));
#else
    // POSIX reads "//" as "/": the walk must begin after the "server" (here
    // the first folder), or running as root would create /vzv-no-server.
    EXPECT_FALSE(fs::exists("/vzv-no-server"));
    const test::ScratchDir dir("unc");
    EXPECT_TRUE(EnsurePathDirectories((u"/" + test::Utf16(dir.path()) + u"/New/a.log").c_str()));
    EXPECT_TRUE(fs::is_directory(dir.path() / "New"));
    EXPECT_FALSE(EnsurePathDirectories(u"/proc/vzv-none/x/y.log"));  // cannot be created
#endif
}

}  // namespace
}  // namespace vzv
