#include "text/utf8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace vzv {
namespace {

// The Unicode table of well-formed UTF-8 byte sequences: per lead-byte range,
// the range of each following byte.
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

// Length of the well-formed sequence starting at b, or 0.
int WellFormedLength(const unsigned char* b, int available) {
    for (const Row& row : kWellFormed) {
        if (b[0] < row.lo[0] || b[0] > row.hi[0]) continue;
        if (row.length > available) return 0;
        for (int k = 1; k < row.length; ++k)
            if (b[k] < row.lo[k] || b[k] > row.hi[k]) return 0;
        return row.length;
    }
    return 0;
}

void AppendUtf16(std::u16string& out, std::uint32_t cp) {
    if (cp < 0x10000) {
        out += char16_t(cp);
    } else {
        out += char16_t(0xD7C0 + (cp >> 10));
        out += char16_t(0xDC00 | (cp & 0x3FF));
    }
}

// Whole-input expectation built from the table; false when ill-formed.
bool Expected(const unsigned char* b, int n, std::u16string& out) {
    static const unsigned char kLeadMask[] = {0x7F, 0x1F, 0x0F, 0x07};
    for (int i = 0; i < n;) {
        const int len = WellFormedLength(b + i, n - i);
        if (len == 0) return false;
        std::uint32_t cp = b[i] & kLeadMask[len - 1];
        for (int k = 1; k < len; ++k) cp = cp << 6 | (b[i + k] & 0x3F);
        AppendUtf16(out, cp);
        i += len;
    }
    return true;
}

// Checks n bytes, both as one sequence and as a whole input; counts faults.
int CheckBytes(const unsigned char* b, int n) {
    int faults = 0;
    std::u16string expected;
    const bool wellFormed = Expected(b, n, expected);
    // isLegalUTF8 is asked only for the length its lead byte claims.
    if (kTrailingBytesForUTF8[b[0]] + 1 == n && isLegalUTF8(b, n) != (WellFormedLength(b, n) == n)) ++faults;
    char16_t out[8];
    const unsigned char* source = b;
    char16_t* target = out;
    const ConversionResult r = ConvertUTF8toUTF16(&source, b + n, &target, out + n);
    if ((r == conversionOK) != wellFormed) ++faults;
    if (wellFormed && (source != b + n || std::u16string(out, target) != expected)) ++faults;
    if (faults) ADD_FAILURE() << "bytes " << std::hex << (b[0] + 0) << ' ' << (b[1] + 0) << ' ' << (b[2] + 0)
                              << ' ' << (b[3] + 0) << " length " << n;
    return faults;
}

void Split(std::uint32_t v, int n, unsigned char* b) {
    for (int k = 0; k < n; ++k) b[k] = static_cast<unsigned char>(v >> (8 * (n - 1 - k)));
}

TEST(Utf8, EveryShortSequenceAndSampledFourByteOnes) {
    int faults = 0;
    unsigned char b[4] = {};
    for (int n = 1; n <= 3; ++n)
        for (std::uint32_t v = 0; v < (1u << (8 * n)) && faults < 10; ++v) {
            Split(v, n, b);
            faults += CheckBytes(b, n);
        }
    // A multiplicative walk: distinct values spread over all four bytes.
    for (std::uint32_t i = 0; i < (1u << 22) && faults < 10; ++i) {
        Split(i * 0x9E3779B1u, 4, b);
        faults += CheckBytes(b, 4);
    }
    const unsigned char longForm[] = {0xFC, 0x80, 0x80, 0x80, 0x80, 0x80};
    for (int n : {0, 5, 6}) EXPECT_FALSE(isLegalUTF8(longForm, n));
}

// Every scalar value but U+0000, encoded independently, in one input.
TEST(Utf8, EveryScalarValueInOneText) {
    std::string text;
    std::u16string expected;
    for (std::uint32_t cp = 1; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const int n = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        static const unsigned char kMark[] = {0x00, 0xC0, 0xE0, 0xF0};
        text += char(kMark[n - 1] | cp >> (6 * (n - 1)));
        for (int k = n - 2; k >= 0; --k) text += char(0x80 | ((cp >> (6 * k)) & 0x3F));
        AppendUtf16(expected, cp);
    }
    bool failed = true;
    EXPECT_TRUE(Utf8ToWide(text, &failed) == expected);
    EXPECT_FALSE(failed);
}

// Result, bytes consumed, units written.
using Outcome = std::tuple<ConversionResult, long, long>;
Outcome RunConvert(const std::string& bytes, long room) {
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* source = begin;
    char16_t out[8];
    char16_t* target = out;
    const ConversionResult r = ConvertUTF8toUTF16(&source, begin + bytes.size(), &target, out + room);
    return {r, long(source - begin), long(target - out)};
}

// Stops leave the source at the lead byte of the sequence not converted.
TEST(Utf8, ResultCodesAndStopPositions) {
    const struct {
        std::string bytes;
        long room;
        Outcome outcome;
    } cases[] = {
        {"", 0, {conversionOK, 0, 0}},
        {"\xC3", 4, {sourceExhausted, 0, 0}},
        {"A\xE2\x82", 4, {sourceExhausted, 1, 1}},
        {"\xFC\x84\x80\x80\x80", 8, {sourceExhausted, 0, 0}},  // a six-byte lead
        {"\xF8\x88\x80\x80\x80", 8, {sourceIllegal, 0, 0}},  // five-byte form
        {"A\xC0\xAF", 4, {sourceIllegal, 1, 1}},
        {"\xE2\x82\xAC", 0, {targetExhausted, 0, 0}},
        {"A\xF0\x9F\x98\x80", 2, {targetExhausted, 1, 1}},  // never half a pair
        {"A\xF0\x9F\x98\x80", 3, {conversionOK, 5, 3}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunConvert(c.bytes, c.room), c.outcome) << testing::PrintToString(c.bytes);
}

std::string Reported(const char* text, std::u16string& result) {
    testing::internal::CaptureStdout();
    result = Utf8ToWideReported(text);
    return testing::internal::GetCapturedStdout();
}

TEST(Utf8, WellFormedText) {
    const struct {
        const char* text;
        std::u16string wide;
    } cases[] = {
        {"", u""}, {"plain ASCII", u"plain ASCII"}, {"\xC3\xA9", u"\u00E9"},
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"}, {"\xEF\xBF\xBF", u"\xFFFF"},
        {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
    };
    for (const auto& c : cases) {
        bool failed = true;
        EXPECT_TRUE(Utf8ToWide(c.text, &failed) == c.wide) << c.text;
        EXPECT_FALSE(failed);
        EXPECT_TRUE(Utf8ToWide(c.text) == c.wide);
        std::u16string result;
        EXPECT_EQ(Reported(c.text, result), "");
        EXPECT_TRUE(result == c.wide);
    }
    // A NUL ends the result; the bytes after it are still checked.
    EXPECT_TRUE(Utf8ToWide(std::string("ab\0\xC3\xA9", 5)) == u"ab");
    bool failed = false;
    EXPECT_TRUE(Utf8ToWide(std::string("ab\0\xC3", 4), &failed).empty());
    EXPECT_TRUE(failed);
    EXPECT_TRUE(Utf8ToWide(static_cast<const char*>(nullptr), &failed).empty());
    EXPECT_FALSE(failed);
}

// The in-place conversion the writer uses agrees with the checked one
// wherever its ASCII runs end.
TEST(Utf8, InPlaceConversionAgrees) {
    const std::string ascii = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ";
    for (std::size_t run = 0; run <= ascii.size(); ++run) {
        for (const std::string tail : {"", "\xC3\xA9!", "\xF0\x9F\x98\x80", "\xC3", "\x80z"}) {
            const std::string text = ascii.substr(0, run) + tail + ascii.substr(run);
            bool failed = false;
            const std::u16string expected = Utf8ToWide(text, &failed);
            std::u16string out(text.size() + 1, u'#');
            testing::internal::CaptureStdout();
            const std::size_t n = Utf8ToWideReported(text.c_str(), text.size(), out.data());
            EXPECT_EQ(testing::internal::GetCapturedStdout().empty(), !failed);
            EXPECT_TRUE(out.substr(0, n) == expected) << text;
        }
    }
}

TEST(Utf8, IllFormedTextFailsWhollyAndIsReported) {
    std::vector<std::string> all = {"\xC0\xAF", "\xE0\x80\x80", "x\xED\xA0\x80", "\xF4\x90\x80\x80",
                                    "\x80", "caf\xE9 au lait", "abc\xC3"};
    for (int lead = 0xF5; lead <= 0xFF; ++lead) all.push_back(std::string("ok ") + char(lead) + "\x80\x80\x80");
    for (const std::string& text : all) {
        bool failed = false;
        EXPECT_TRUE(Utf8ToWide(text, &failed).empty()) << testing::PrintToString(text);
        EXPECT_TRUE(failed);
        EXPECT_TRUE(Utf8ToWide(text.c_str()).empty());
        std::u16string result = u"stale";
        EXPECT_EQ(Reported(text.c_str(), result), "bad utf8 string: '" + text + "'\r\n");
        EXPECT_TRUE(result.empty());
    }
}

}  // namespace
}  // namespace vzv
