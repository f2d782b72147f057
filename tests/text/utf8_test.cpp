#include "text/utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace vzv {
namespace {

// UTF-8 and UTF-16 of a scalar value, written out apart from the library.
std::string Utf8Of(std::uint32_t cp) {
    const int n = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    std::string bytes(1, char((n > 1 ? 0xF00 >> n & 0xF0 : 0) | cp >> (6 * (n - 1))));
    for (int k = n - 2; k >= 0; --k) bytes += char(0x80 | ((cp >> (6 * k)) & 0x3F));
    return bytes;
}
std::u16string Utf16Of(std::uint32_t cp) {
    if (cp < 0x10000) return std::u16string(1, char16_t(cp));
    return {char16_t(0xD7C0 + (cp >> 10)), char16_t(0xDC00 | (cp & 0x3FF))};
}

// The bytes a lead byte announces by its leading one bits (5 for any longer
// form), whether they follow or not.
int Announced(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 5;
}

// The length of the well-formed sequence that starts the `available` bytes
// at b (0 if none) and its code point: the scalar value its bits spell must
// be written with exactly these bytes.
int Decode(const unsigned char* b, int available, std::uint32_t& cp) {
    const int n = b[0] < 0x80 ? 1 : b[0] < 0xE0 ? 2 : b[0] < 0xF0 ? 3 : 4;
    if (n > available) return 0;
    cp = b[0] & (0xFF >> (n + (n > 1)));
    for (int k = 1; k < n; ++k) cp = cp << 6 | (b[k] & 0x3F);
    const bool scalar = cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    return scalar && Utf8Of(cp) == std::string(reinterpret_cast<const char*>(b), n) ? n : 0;
}

// Every sequence of up to three bytes and a spread of four-byte ones, each as
// one sequence and as a whole input: the result, where the conversion stops
// and what it wrote before; and the lenient conversion, one U+FFFD for each
// byte that begins no well-formed sequence. An input that ends before the
// bytes its last lead announces is exhausted, not illegal. (The library always
// gives a unit of room per byte; the fuzzer tries any room.)
TEST(Utf8, EveryShortSequenceAndSampledFourByteOnes) {
    int faults = 0;
    const auto check = [&faults](std::uint32_t bits, int n) {
        unsigned char b[4] = {};
        for (int k = 0; k < n; ++k) b[k] = static_cast<unsigned char>(bits >> (8 * (n - 1 - k)));
        std::u16string expected, lenient;
        std::uint32_t cp = 0;
        int at = 0;
        for (int length; at < n && (length = Decode(b + at, n - at, cp)) > 0; at += length)
            expected += Utf16Of(cp);
        for (int i = 0, length; i < n; i += std::max(length, 1))
            lenient += (length = Decode(b + i, n - i, cp)) > 0 ? Utf16Of(cp) : u"\uFFFD";
        const ConversionResult stop = at == n                     ? conversionOK
                                      : Announced(b[at]) > n - at ? sourceExhausted : sourceIllegal;
        char16_t out[4];
        const unsigned char* source = b;
        char16_t* target = out;
        const std::string text(reinterpret_cast<const char*>(b), n);
        const bool fault =
            ConvertUTF8toUTF16(&source, b + n, &target, out + n) != stop || source != b + at ||
            std::u16string(out, target) != expected || Utf8ToUtf16Lenient(text) != lenient ||
            (Announced(b[0]) == n && isLegalUTF8(b, n) != (Decode(b, n, cp) == n));
        faults += fault;
        EXPECT_FALSE(fault) << std::hex << bits << " length " << n;
    };
    for (int n = 1; n <= 3; ++n)
        for (std::uint32_t v = 0; v < (1u << (8 * n)) && faults < 10; ++v) check(v, n);
    for (std::uint32_t i = 0; i < (1u << 22) && faults < 10; ++i)
        check(i * 0x9E3779B1u, 4);  // spread over all bytes
    const unsigned char longForm[] = {0xFC, 0x80, 0x80, 0x80, 0x80, 0x80};
    for (int n : {0, 5, 6}) EXPECT_FALSE(isLegalUTF8(longForm, n));
}

// Every scalar value but U+0000 in one text, through each conversion, also
// the writer's in-place one.
TEST(Utf8, EveryScalarValueInOneText) {
    std::string text;
    std::u16string expected;
    for (std::uint32_t cp = 1; cp <= 0x10FFFF; ++cp) {
        if (IsHighSurrogate(cp) || IsLowSurrogate(cp)) continue;
        text += Utf8Of(cp);
        std::size_t at = expected.size();
        expected += Utf16Of(cp);
        ASSERT_TRUE(NextCodePoint(expected, at) == cp && at == expected.size()) << cp;
    }
    bool failed = true;
    EXPECT_TRUE(Utf8ToWide(text.c_str(), &failed) == expected && !failed);
    EXPECT_TRUE(Utf8ToUtf16Lenient(text) == expected && Utf16ToUtf8(expected) == text);
    std::u16string units(text.size(), u'#');
    units.resize(Utf8ToWideReported(text.c_str(), text.size(), units.data()));
    EXPECT_TRUE(units == expected);
    for (std::size_t at = 0; at < 20; ++at) {  // one ill-formed byte anywhere: nothing
        const std::string bad = std::string(at, 'a') + "\xFF" + std::string(19 - at, 'a');
        EXPECT_EQ(Utf8ToWideReported(bad.c_str(), 20, units.data()), 0u);
    }
    EXPECT_TRUE(Utf8ToWide(static_cast<const char*>(nullptr), &failed).empty() && !failed);
}

}  // namespace
}  // namespace vzv
