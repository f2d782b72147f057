#include "path/path_utils.h"

#include <gtest/gtest.h>

namespace vzv {
namespace {

constexpr char16_t kDefaultLogFileName[] = u"RavIrivuzo.log";

TEST(AbsolutePath, AbsoluteForms) {
    for (const char16_t* path : {u"C:\\x", u"C:", u"\\\\server\\share", u"\\x", u"/usr/x"})
        EXPECT_TRUE(IsAbsolutePath(path));
    for (const char16_t* path : {u"x\\y", u"ab:c", u""}) EXPECT_FALSE(IsAbsolutePath(path));
}

TEST(AbsolutePath, Normalisation) {
    const struct {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {
        {u"C:\\a\\\\b", u"C:\\a\\b"},
        {u"\\\\server\\share", u"\\\\server\\share"},
        {u"C:\\a\\.\\b", u"C:\\a\\b"},
        {u"C:\\work\\.", u"C:\\work\\"},
        {u"C:\\a\\b\\..\\c", u"C:\\a\\c"},
        {u"C:\\a\\b\\..\\..\\c", u"C:\\c"},
        // Slashes separate as backslashes do, and stay as written.
        {u"/a//b/./c/../d", u"/a/b/d"},
        {u"C:/a\\b/..", u"C:/a"},
        {u"//server/share", u"//server/share"},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizePath(c.in), c.out);
}

TEST(AbsolutePath, DefaultPathJoinsWithoutDoubling) {
    EXPECT_EQ(MakeAbsolutePath(u".", u"C:\\") + kDefaultLogFileName, u"C:\\RavIrivuzo.log");
    EXPECT_EQ(MakeAbsolutePath(u".", u"C:\\work") + kDefaultLogFileName,
              u"C:\\work\\RavIrivuzo.log");
    EXPECT_EQ(MakeAbsolutePath(u"D:\\x\\.\\y", u"C:\\work"), u"D:\\x\\y");
    // The working directory is the default base.
    EXPECT_FALSE(MakeAbsolutePath(u".").empty());
    EXPECT_EQ(MakeAbsolutePath(u".").back(), u'\\');
}

}  // namespace
}  // namespace vzv
