#include "text/utf8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

namespace vzv {
namespace {

// The Unicode table of well-formed UTF-8: per lead-byte range, the range of
// each following byte.
struct Row {
    int length;
    unsigned char lo[4], hi[4];
};
constexpr Row kWellFormed[] = {
    {1, {0x00}, {0x7F}},
    {2, {0xC2, 0x80}, {0xDF, 0xBF}},
    {3, {0xE0, 0xA0, 0x80}, {0xE0, 0xBF, 0xBF}},
    {3, {0xE1, 0x80, 0x80}, {0xEC, 0xBF, 0xBF}},
    {3, {0xED, 0x80, 0x80}, {0xED, 0x9F, 0xBF}},
    {3, {0xEE, 0x80, 0x80}, {0xEF, 0xBF, 0xBF}},
    {4, {0xF0, 0x90, 0x80, 0x80}, {0xF0, 0xBF, 0xBF, 0xBF}},
    {4, {0xF1, 0x80, 0x80, 0x80}, {0xF3, 0xBF, 0xBF, 0xBF}},
    {4, {0xF4, 0x80, 0x80, 0x80}, {0xF4, 0x8F, 0xBF, 0xBF}},
};

// The UTF-16 of the well-formed sequence at b, its length in `length`; 0 if
// none.
std::u16string Decode(const unsigned char* b, int available, int& length) {
    length = 0;
    for (const Row& row : kWellFormed) {
        if (b[0] < row.lo[0] || b[0] > row.hi[0] || row.length > available) continue;
        std::uint32_t cp = b[0] & (0xFF >> (row.length + (row.length > 1)));
        for (int k = 1; k < row.length; ++k) {
            if (b[k] < row.lo[k] || b[k] > row.hi[k]) return u"";
            cp = cp << 6 | (b[k] & 0x3F);
        }
        length = row.length;
        if (cp < 0x10000) return std::u16string(1, char16_t(cp));
        return {char16_t(0xD7C0 + (cp >> 10)), char16_t(0xDC00 | (cp & 0x3FF))};
    }
    return u"";
}

// Every sequence of up to three bytes and a spread of four-byte ones, each as
// one sequence and as a whole input, against the table.
TEST(Utf8, EveryShortSequenceAndSampledFourByteOnes) {
    int faults = 0;
    const auto check = [&faults](std::uint32_t bits, int n) {
        unsigned char b[4] = {};
        for (int k = 0; k < n; ++k) b[k] = static_cast<unsigned char>(bits >> (8 * (n - 1 - k)));
        std::u16string expected;
        int i = 0, length = 1;
        while (i < n && length > 0) expected += Decode(b + i, n - i, length), i += length;
        const bool wellFormed = i == n && length > 0;
        Decode(b, n, length);
        char16_t out[8];
        const unsigned char* source = b;
        char16_t* target = out;
        const ConversionResult r = ConvertUTF8toUTF16(&source, b + n, &target, out + n);
        const bool fault = (kTrailingBytesForUTF8[b[0]] + 1 == n && isLegalUTF8(b, n) != (length == n)) ||
                           (r == conversionOK) != wellFormed ||
                           (wellFormed && (source != b + n || std::u16string(out, target) != expected));
        faults += fault;
        EXPECT_FALSE(fault) << std::hex << bits << " length " << n;
    };
    for (int n = 1; n <= 3; ++n)
        for (std::uint32_t v = 0; v < (1u << (8 * n)) && faults < 10; ++v) check(v, n);
    for (std::uint32_t i = 0; i < (1u << 22) && faults < 10; ++i) check(i * 0x9E3779B1u, 4);  // spread over all bytes
    const unsigned char longForm[] = {0xFC, 0x80, 0x80, 0x80, 0x80, 0x80};
    for (int n : {0, 5, 6}) EXPECT_FALSE(isLegalUTF8(longForm, n));
}

// Every scalar value but U+0000, encoded independently, in one input: the
// strict and the lenient conversions and the helpers agree with it.
TEST(Utf8, EveryScalarValueInOneText) {
    std::string text, helperText;
    std::u16string expected, helperWide;
    for (std::uint32_t cp = 1; cp <= 0x10FFFF; ++cp) {
        if (IsHighSurrogate(cp) || IsLowSurrogate(cp)) continue;
        const int n = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        text += char((n > 1 ? 0xF00 >> n & 0xF0 : 0) | cp >> (6 * (n - 1)));
        for (int k = n - 2; k >= 0; --k) text += char(0x80 | ((cp >> (6 * k)) & 0x3F));
        if (cp < 0x10000) expected += char16_t(cp);
        else expected += {char16_t(0xD7C0 + (cp >> 10)), char16_t(0xDC00 | (cp & 0x3FF))};
        AppendUtf8(helperText, cp), AppendUtf16(helperWide, cp);
    }
    EXPECT_TRUE(helperText == text && helperWide == expected);
    EXPECT_TRUE(Utf8ToUtf16Lenient(text) == expected && Utf16ToUtf8(expected) == text);
    std::size_t at = 0;
    for (std::uint32_t cp = 1; cp <= 0x10FFFF && at < expected.size(); ++cp) {
        if (IsHighSurrogate(cp) || IsLowSurrogate(cp)) continue;
        ASSERT_EQ(NextCodePoint(expected, at), cp);
    }
    EXPECT_EQ(at, expected.size());
    bool failed = true;
    EXPECT_TRUE(Utf8ToWide(text, &failed) == expected);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(Utf8ToWideReported(text.c_str()) == expected);
    // A NUL ends the result; the bytes after it are still checked.
    EXPECT_TRUE(Utf8ToWide(std::string("ab\0\xC3\xA9", 5)) == u"ab");
    EXPECT_TRUE(Utf8ToWide(std::string("ab\0\xC3", 4), &failed).empty() && failed);
    EXPECT_TRUE(Utf8ToWide(static_cast<const char*>(nullptr), &failed).empty() && !failed);
}

// Stops leave the source at the lead byte of the sequence not converted.
TEST(Utf8, ResultCodesAndStopPositions) {
    using Outcome = std::tuple<ConversionResult, long, long>;  // result, bytes read, units written
    const struct {
        std::string bytes;
        long room;
        Outcome outcome;
    } cases[] = {
        {"", 0, {conversionOK, 0, 0}}, {"\xC3", 4, {sourceExhausted, 0, 0}}, {"A\xE2\x82", 4, {sourceExhausted, 1, 1}},
        {"\xFC\x84\x80\x80\x80", 8, {sourceExhausted, 0, 0}},  // a six-byte lead
        {"\xF8\x88\x80\x80\x80", 8, {sourceIllegal, 0, 0}},    // five-byte form
        {"A\xC0\xAF", 4, {sourceIllegal, 1, 1}}, {"\xE2\x82\xAC", 0, {targetExhausted, 0, 0}},
        {"A\xF0\x9F\x98\x80", 2, {targetExhausted, 1, 1}},  // never half a pair
        {"A\xF0\x9F\x98\x80", 3, {conversionOK, 5, 3}},
    };
    for (const auto& c : cases) {
        const auto* begin = reinterpret_cast<const unsigned char*>(c.bytes.data());
        const unsigned char* source = begin;
        char16_t out[8];
        char16_t* target = out;
        const ConversionResult r = ConvertUTF8toUTF16(&source, begin + c.bytes.size(), &target, out + c.room);
        EXPECT_EQ(Outcome(r, source - begin, target - out), c.outcome) << testing::PrintToString(c.bytes);
    }
}

// Ill-formed text fails whole and is reported; the in-place conversion the
// writer uses agrees with the checked one wherever its ASCII runs end.
TEST(Utf8, IllFormedTextFailsWhollyAndIsReported) {
    const std::string ascii = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ";
    for (std::size_t run = 0; run <= ascii.size(); run += 3)
        for (const std::string bad : {"\xC0\xAF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80z",
                                      "\xE9 au", "\xC3", "\xF5\x80\x80\x80", "\xFF", "\xC3\xA9!", "\xF0\x9F\x98\x80"}) {
            const std::string text = ascii.substr(0, run) + bad + ascii.substr(run);
            bool failed = false;
            const std::u16string expected = Utf8ToWide(text, &failed);
            EXPECT_TRUE(failed == (bad != "\xC3\xA9!" && bad != "\xF0\x9F\x98\x80") && expected.empty() == failed);
            std::u16string out(text.size() + 1, u'#');
            testing::internal::CaptureStdout();
            const std::size_t n = Utf8ToWideReported(text.c_str(), text.size(), out.data());
            const std::u16string reported = Utf8ToWideReported(text.c_str());
            EXPECT_EQ(testing::internal::GetCapturedStdout(),
                      failed ? "bad utf8 string: '" + text + "'\r\nbad utf8 string: '" + text + "'\r\n" : "");
            EXPECT_TRUE(out.substr(0, n) == expected && reported == expected) << text;
        }
}

// The lenient conversions replace what is no text; UTF-32 units keep their
// unpaired surrogates, as both widths can hold them.
TEST(Utf8, LenientConversionsReplaceWhatIsNoText) {
    const std::u16string r(1, u'\xFFFD'), high(1, u'\xD800'), low(1, u'\xDC00');
    const std::string rr = "\xEF\xBF\xBD";
    for (const auto& [utf8, utf16] : {std::pair<std::string, std::u16string>{"x\xFFy\xC3", u"x" + r + u"y" + r},
                                      {"\xE0\x80\x80\xED\xA0\x80", r + r + r + r + r + r},
                                      {"\xF4\x90\x80\x80", r + r + r + r}})
        EXPECT_EQ(Utf8ToUtf16Lenient(utf8), utf16) << utf8;
    EXPECT_EQ(Utf16ToUtf8(high + u"x" + low + u"x" + high), rr + "x" + rr + "x" + rr);
    std::u16string out;
    for (const char32_t c : {U'a', char32_t{0xD800}, char32_t{0x110000}}) AppendUtf16(out, c);
    EXPECT_EQ(out, u"a" + high + u"\uFFFD");
    std::size_t at = 1;
    EXPECT_EQ(NextCodePoint(out, at), char32_t{0xD800});
}

}  // namespace
}  // namespace vzv
