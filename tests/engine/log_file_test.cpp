#include "engine/log_file.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

namespace vzv {
namespace {

bool Open(CLogFile& file, const std::u16string& path, std::uint32_t disposition) {
    return file.Open(path.c_str(), platform::kGenericWrite, platform::kFileShareRead, disposition,
                     platform::kFileAttributeNormal);
}

// One writer, never creating by itself; a second is refused and truncates
// nothing. An error text only where a close failed.
TEST(LogFile, OneWriterManyReadersAndErrorTexts) {
    test::ScratchDir dir("file");
    const std::u16string path = dir / "a.log";
    CLogFile first, second;
    EXPECT_FALSE(Open(first, path, platform::kOpenExisting));
    const std::size_t code = test::Narrow(platform::GetLastErrorText()).find(" errorcode: 2");
    EXPECT_TRUE(code != std::string::npos && code > 0) << "the system's text, then its number";
    ASSERT_TRUE(Open(first, path, platform::kCreateAlways) && first.Write("abcd", 4));
    EXPECT_EQ(first.Size(), 4);
    EXPECT_FALSE(Open(second, path, platform::kOpenExisting) ||
                 Open(second, path, platform::kCreateAlways));
    std::u16string error = u"untouched";
    EXPECT_TRUE(first.Close(&error) && first.Close(&error));  // again: closed, silently
    EXPECT_EQ(error, u"untouched");
    ASSERT_TRUE(Open(second, path, platform::kOpenExisting) && second.SeekToEnd());
    ASSERT_TRUE(second.Write("ef", 2) && second.Close(nullptr));
    EXPECT_EQ(test::ReadBytes(dir.path() / "a.log"), "abcdef");
}

}  // namespace
}  // namespace vzv
