#include "engine/log_file.h"
#include "engine/log_line.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

namespace vzv {
namespace {

TEST(LogLine, PrefixLayout) {
    const platform::LocalTime march7{2024, 3, 7, 14, 5, 9, 123};
    EXPECT_EQ(FormatLinePrefix(2, 1234, march7), u" 1234 | 24.03.07 14:05:09.123 |2| ");
    // A long thread id widens the field and is never cut.
    EXPECT_EQ(FormatLinePrefix(0, 1234567, march7), u"1234567 | 24.03.07 14:05:09.123 |0| ");
    EXPECT_EQ(FormatLinePrefix(4, 0, {2007, 12, 31, 0, 0, 0, 5}), u"    0 | 07.12.31 00:00:00.005 |4| ");
    EXPECT_EQ(FormatLinePrefix(1, 99999, {2100, 1, 1, 23, 59, 59, 999}),
              u"99999 | 00.01.01 23:59:59.999 |1| ");
}

TEST(LogLine, PrefixCarriesThisThreadAndNow) {
    const std::string prefix = test::Narrow(FormatLinePrefix(3));
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        prefix, m, std::regex(R"( *(\d+) \| (\d\d)\.(\d\d)\.(\d\d) (\d\d):(\d\d):(\d\d)\.(\d{3}) \|3\| )")))
        << prefix;
    EXPECT_EQ(std::stoul(m[1]), platform::CurrentThreadId());
    const platform::LocalTime now = platform::LocalTimeNow();
    EXPECT_EQ(std::stoi(m[2]), now.year % 100);
    EXPECT_EQ(std::stoi(m[3]), now.month);
}

// The kept prefix text follows the thread that asks and the level given.
TEST(LogLine, KeptPrefixFollowsThreadAndLevel) {
    CLinePrefix prefix;
    // "<thread>:<level>" of a prefix from `prefix`.
    const auto put = [&prefix](int level) {
        char16_t buffer[kMaxPrefixUnits];
        const std::string text =
            test::Narrow(std::u16string(buffer, prefix.Put(buffer, level, platform::CurrentThreadId())));
        static const std::regex shape(R"( *(\d+) \| \d\d\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3} \|(-?\d+)\| )");
        std::smatch m;
        return std::regex_match(text, m, shape) ? m[1].str() + ":" + m[2].str() : text;
    };
    const std::string me = std::to_string(platform::CurrentThreadId());
    for (int level : {2, 5, -1, 0, 12}) {
        std::string other, otherId;
        std::thread([&] {
            other = put(level);
            otherId = std::to_string(platform::CurrentThreadId());
        }).join();
        EXPECT_EQ(other, otherId + ":" + std::to_string(level));
        EXPECT_EQ(put(level), me + ":" + std::to_string(level));
    }
}

TEST(LogLine, BytesOnDisk) {
    test::ScratchDir dir("line");
    const std::u16string path = dir / "a.log";
    CLogFile file;
    ASSERT_TRUE(file.Open(path.c_str(), platform::kGenericWrite, platform::kFileShareRead,
                          platform::kCreateAlways, platform::kFileAttributeNormal));
    std::u16string line;
    BuildLine(line, 2, u"A\u00E9\u20AC\r\nnext");
    ASSERT_TRUE(file.Write(line.data(), static_cast<std::uint32_t>(line.size() * 2)));
    BuildLine(line, 0, u"");
    ASSERT_TRUE(file.Write(line.data(), static_cast<std::uint32_t>(line.size() * 2)));
    ASSERT_TRUE(file.Close(nullptr));

    const std::string bytes = test::ReadBytes(dir.path() / "a.log");
    const std::size_t prefix = FormatLinePrefix(2).size() * 2;
    // Text as UTF-16LE code units, an embedded line break unchanged, CR LF.
    const std::string text("A\0\xE9\0\xAC\x20\r\0\n\0n\0e\0x\0t\0\r\0\n\0", 20);
    ASSERT_GE(bytes.size(), prefix + text.size());
    EXPECT_EQ(bytes.substr(prefix, text.size()), text);
    EXPECT_EQ(bytes.substr(prefix - 8, 8), std::string("|\0" "2\0" "|\0" " \0", 8));
    // An empty text keeps the prefix's final space, then CR LF.
    EXPECT_EQ(bytes.substr(bytes.size() - 12), std::string("|\0" "0\0" "|\0" " \0" "\r\0" "\n\0", 12));
}

}  // namespace
}  // namespace vzv
