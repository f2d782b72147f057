#include "path/path_utils.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <vector>

namespace vzv::test {

namespace fs = std::filesystem;

TEST(PathUtils, PureFunctionsTable) {
    const struct {
        const char16_t *in, *normal, *base;
        bool absolute;
    } cases[] = {
        {u"C:\\a\\\\b\\.\\c.log", u"C:\\a\\b\\c.log", u"c", true},
        {u"\\\\server\\share", u"\\\\server\\share", u"s", true},
        {u"C:\\work\\.", u"C:\\work\\", u".", true},  // the writer's default folder
        {u"C:\\..\\a\\b\\..\\", u"C:\\..\\a\\", u"", true},  // a ".." with nothing before it stays
        {u"/a//b/./c/../d.txt", u"/a/b/d.txt", u"d", true},  // slashes separate too, and stay
        {u"C:", u"C:", u"C:", true},
        {u"a/b\\abcd", u"a/b\\abcd", u"", false},  // the base name drops four units
        {u"ab:c\\app.log", u"ab:c\\app.log", u"app", false},
        {u"", u"", u"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Narrow(NormalizePath(c.in)), Narrow(c.normal)) << Narrow(c.in);
        EXPECT_EQ(Narrow(GetFileBaseName(c.in)), Narrow(c.base)) << Narrow(c.in);
        EXPECT_EQ(IsAbsolutePath(c.in), c.absolute) << Narrow(c.in);
    }
    EXPECT_EQ(MakeAbsolutePath(u".", u"C:\\"), u"C:\\");
    EXPECT_EQ(MakeAbsolutePath(u"D:\\x\\.\\y", u"C:\\work"), u"D:\\x\\y");
    EXPECT_EQ(MakeAbsolutePath(u"x\\..\\y", u"C:\\work"), u"C:\\work\\y");
    EXPECT_EQ(MakeAbsolutePath(u".").back(), u'\\');  // the working directory by default
}

// Each case runs in a fresh folder holding file.txt; `path` is appended to
// it, `made` must be folders afterwards and `absent` must not exist.
TEST(PathUtils, EnsureDirectoriesTable) {
    const std::u16string name255(255, u'n'), name256(256, u'n');
    const std::string unicode = "New/D\xC3\xA9\xF0\x9F\x98\x80";
    const struct {
        std::u16string path;
        bool result;
        std::vector<std::string> made, absent;
    } cases[] = {
        {u"\\New\\\\Deeper\\app.log", true, {"New/Deeper"}, {"New/Deeper/app.log"}},
        {u"//New//Deeper/", true, {"New/Deeper"}, {}},
        {u"/New\\D\u00E9\U0001F600/noext", true, {unicode}, {unicode + "/noext"}},
        {u"\\New\\.hidden", true, {"New"}, {"New/.hidden"}},
        {u"\\New\\" + name255 + u".log", true, {"New"}, {}},
        {u"\\New\\" + name256 + u".log", false, {}, {"New"}},
        {u"\\New\\x." + name255, false, {}, {"New"}},
        {u"\\file.txt\\", false, {}, {}},  // the last object is a file
    };
    for (const auto& c : cases) {
        const ScratchDir dir("ensure");
        WriteBytes(dir.path() / "file.txt", "x");
        const std::u16string path = Utf16(dir.path()) + c.path;
        EXPECT_EQ(EnsurePathDirectories(path.c_str()), c.result) << Narrow(c.path);
        for (const std::string& made : c.made)
            EXPECT_TRUE(fs::is_directory(dir.path() / fs::u8path(made))) << made;
        for (const std::string& absent : c.absent)
            EXPECT_FALSE(fs::exists(dir.path() / fs::u8path(absent))) << absent;
    }
}

TEST(PathUtils, ServerNameIsNeverCreated) {
    for (const char16_t* path :
         {u"//vzv-no-server", u"\\\\vzv-no-server\\", u"\\\\vzv-no-server\\share\\Logs\\a.log"})
        EXPECT_FALSE(EnsurePathDirectories(path)) << Narrow(path);
#ifndef _WIN32
    // POSIX reads "//" as "/": the walk must begin after the "server" (here
    // the first folder), or running as root would create /vzv-no-server.
    EXPECT_FALSE(fs::exists("/vzv-no-server"));
    const ScratchDir dir("unc");
    EXPECT_TRUE(EnsurePathDirectories((u"/" + Utf16(dir.path()) + u"/New/a.log").c_str()));
    EXPECT_TRUE(fs::is_directory(dir.path() / "New"));
#endif
}

}  // namespace vzv::test
