#include "engine/log_file.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

namespace vzv {
namespace {

bool OpenForWriting(CLogFile& file, const std::u16string& path, std::uint32_t disposition) {
    return file.Open(path.c_str(), platform::kGenericWrite, platform::kFileShareRead, disposition,
                     platform::kFileAttributeNormal);
}

TEST(LogFile, OpenExistingNeverCreates) {
    test::ScratchDir dir("file-open");
    CLogFile file;
    EXPECT_FALSE(OpenForWriting(file, dir / "missing.log", platform::kOpenExisting));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing.log"));
    // The system's text for "not found", then its number.
    const std::string error = test::Narrow(platform::GetLastErrorText());
    EXPECT_NE(error.find(" errorcode: 2"), std::string::npos) << error;
    EXPECT_GT(error.find(" errorcode: 2"), 0u);
}

TEST(LogFile, WriteSizeAndReadOnlySharing) {
    test::ScratchDir dir("file-share");
    const std::u16string path = dir / "a.log";
    CLogFile first;
    ASSERT_TRUE(OpenForWriting(first, path, platform::kCreateAlways));
    ASSERT_TRUE(first.Write("abcd", 4));
    EXPECT_EQ(first.Size(), 4);

    // A second writer, in any form, is refused and truncates nothing.
    CLogFile second;
    EXPECT_FALSE(OpenForWriting(second, path, platform::kOpenExisting));
    EXPECT_FALSE(OpenForWriting(second, path, platform::kCreateAlways));
    // Readers are not blocked.
    EXPECT_EQ(test::ReadBytes(dir.path() / "a.log"), "abcd");

    // A close that succeeds reports no error text.
    std::u16string error = u"untouched";
    ASSERT_TRUE(first.Close(&error));
    EXPECT_EQ(error, u"untouched");
    ASSERT_TRUE(OpenForWriting(second, path, platform::kOpenExisting));
    ASSERT_TRUE(second.SeekToEnd());
    ASSERT_TRUE(second.Write("ef", 2));
    ASSERT_TRUE(second.Close(nullptr));
    EXPECT_EQ(test::ReadBytes(dir.path() / "a.log"), "abcdef");

    // Create-always truncates once the file is free.
    ASSERT_TRUE(OpenForWriting(first, path, platform::kCreateAlways));
    EXPECT_EQ(first.Size(), 0);
}

TEST(LogFile, ClosedFileRefusesEverything) {
    CLogFile file;
    std::u16string error = u"untouched";
    EXPECT_TRUE(file.Close(&error));
    EXPECT_EQ(error, u"untouched");
    EXPECT_EQ(file.Size(), -1);
    EXPECT_FALSE(file.Write("x", 1));
}

}  // namespace
}  // namespace vzv
