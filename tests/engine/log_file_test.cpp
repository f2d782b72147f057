#include "engine/log_file.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

namespace vzv {
namespace {

bool Open(CLogFile& file, const std::u16string& path, std::uint32_t disposition) {
    return file.Open(path.c_str(), platform::kGenericWrite, platform::kFileShareRead, disposition,
                     platform::kFileAttributeNormal);
}

// Never creating by itself, and then the system's text of the error with
// its number; an error text from Close only where a close failed.
TEST(LogFile, ErrorTextsOnlyForFailures) {
    test::ScratchDir dir("file");
    CLogFile file;
    EXPECT_FALSE(Open(file, dir / "a.log", platform::kOpenExisting));
    const std::size_t code = test::Narrow(platform::GetLastErrorText()).find(" errorcode: 2");
    EXPECT_TRUE(code != std::string::npos && code > 0) << "the system's text, then its number";
    ASSERT_TRUE(Open(file, dir / "a.log", platform::kCreateAlways) && file.SeekToEnd() &&
                file.Write("abcd", 4));
    std::u16string error = u"untouched";
    EXPECT_TRUE(file.Close(&error) && file.Close(&error));  // again: closed, silently
    EXPECT_EQ(error, u"untouched");
}

}  // namespace
}  // namespace vzv
