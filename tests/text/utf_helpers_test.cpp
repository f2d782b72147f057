#include "text/decimal.h"
#include "text/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace vzv {
namespace {

// Every scalar value survives UTF-32 -> UTF-8 -> UTF-16 -> UTF-32.
TEST(UtfHelpers, EveryScalarValueRoundTrips) {
    std::string utf8;
    for (char32_t c = 0x1; c <= 0x10FFFF; ++c)
        if (!IsHighSurrogate(c) && !IsLowSurrogate(c)) AppendUtf8(utf8, c);
    const std::u16string utf16 = Utf8ToUtf16Lenient(utf8);
    std::size_t at = 0;
    for (char32_t c = 0x1; c <= 0x10FFFF; ++c) {
        if (IsHighSurrogate(c) || IsLowSurrogate(c)) continue;
        ASSERT_LT(at, utf16.size());
        ASSERT_EQ(NextCodePoint(utf16, at), c);
    }
    EXPECT_EQ(at, utf16.size());
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
}

TEST(UtfHelpers, WhatIsNoTextBecomesReplacementCharacters) {
    const std::u16string r(1, u'\xFFFD');
    const struct {
        std::string utf8;
        std::u16string utf16;
    } fromUtf8[] = {
        {"a\xC3\xA9", u"a\u00E9"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"x\xFFy", u"x" + r + u"y"},
        {"\xC3", r},                            // cut short
        {"\xE0\x80\x80", r + r + r},            // overlong
        {"\xED\xA0\x80", r + r + r},            // an encoded surrogate
        {"\xF4\x90\x80\x80", r + r + r + r},    // above U+10FFFF
    };
    for (const auto& c : fromUtf8) EXPECT_EQ(Utf8ToUtf16Lenient(c.utf8), c.utf16) << c.utf8;

    const std::string rr = "\xEF\xBF\xBD";
    const struct {
        std::u16string utf16;
        std::string utf8;
    } fromUtf16[] = {
        {u"a\u00E9\U0001F600", "a\xC3\xA9\xF0\x9F\x98\x80"},
        {std::u16string(1, u'\xD800') + u"x", rr + "x"},  // high without low
        {std::u16string(1, u'\xDC00'), rr},                // low alone
        {u"x" + std::u16string(1, u'\xDBFF'), "x" + rr},   // high at the end
    };
    for (const auto& c : fromUtf16) EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
}

// UTF-32 (wchar_t on Linux) to UTF-16 and back keeps unpaired surrogates as
// they are: both hold them.
TEST(UtfHelpers, Utf32UnitsAndSurrogatesPassAsTheyAre) {
    std::u16string out;
    for (const char32_t c : {U'a', char32_t{0xD800}, char32_t{0x1F600}, char32_t{0x110000}})
        AppendUtf16(out, c);
    EXPECT_EQ(out, u"a" + std::u16string(1, u'\xD800') + u"\U0001F600\uFFFD");
    std::size_t at = 0;
    for (const char32_t c : {U'a', char32_t{0xD800}, char32_t{0x1F600}, char32_t{0xFFFD}})
        EXPECT_EQ(NextCodePoint(out, at), c);
    EXPECT_EQ(at, out.size());
}

TEST(Decimal, PaddedAndSigned) {
    const struct {
        long long value;
        std::size_t width;
        const char* text;
    } cases[] = {{0, 0, "0"}, {7, 2, "07"}, {2026, 4, "2026"}, {123, 2, "123"}, {-5, 0, "-5"},
                 {4294967295, 0, "4294967295"}};
    for (const auto& c : cases) {
        std::string narrow = "x";
        AppendDecimal(narrow, c.value, c.width);
        EXPECT_EQ(narrow, std::string("x") + c.text);
        std::u16string wide;
        AppendDecimal(wide, c.value, c.width);
        EXPECT_EQ(Utf16ToUtf8(wide), c.text);
    }
}

}  // namespace
}  // namespace vzv
