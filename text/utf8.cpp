#include "text/utf8.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vzv {

namespace {
// What the decoder's shift-and-add picks up from the marker bits of a
// sequence with t trailing bytes; subtracted to leave the code point.
constexpr std::uint32_t kOffsetsFromUTF8[6] = {0x00000000u, 0x00003080u, 0x000E2080u,
                                               0x03C82080u, 0xFA082080u, 0x82082080u};
}  // namespace

bool isLegalUTF8(const unsigned char* source, int length) noexcept {
    if (length < 1 || length > 4) return false;
    const unsigned char lead = source[0];
    // Bytes from the third on are plain continuation bytes.
    for (int i = 2; i < length; ++i)
        if (source[i] < 0x80 || source[i] > 0xBF) return false;
    if (length >= 2) {
        // The second byte's range excludes overlong forms (E0, F0), encoded
        // surrogates (ED) and values above U+10FFFF (F4).
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (source[1] < low || source[1] > high) return false;
    }
    // Stray continuation bytes, overlong two-byte leads and leads beyond
    // U+10FFFF. A lead whose own length differs from `length` is the caller's
    // concern: the converter always passes the table's length.
    return !(lead >= 0x80 && lead < 0xC2) && lead <= 0xF4;
}

ConversionResult ConvertUTF8toUTF16(const unsigned char** sourceStart,
                                    const unsigned char* sourceEnd, char16_t** targetStart,
                                    char16_t* targetEnd) noexcept {
    ConversionResult result = conversionOK;
    const unsigned char* source = *sourceStart;
    char16_t* target = *targetStart;
    while (source < sourceEnd) {
        const int trailing = kTrailingBytesForUTF8[*source];
        if (trailing >= sourceEnd - source) {
            result = sourceExhausted;
            break;
        }
        if (!isLegalUTF8(source, trailing + 1)) {
            result = sourceIllegal;
            break;
        }
        // Accumulates the marker bits too; the offset table takes them out.
        std::uint32_t ch = 0;
        for (int i = 0; i < trailing; ++i) ch = (ch + source[i]) << 6;
        ch += source[trailing];
        ch -= kOffsetsFromUTF8[trailing];
        // Never half a surrogate pair.
        if (targetEnd - target < (ch <= 0xFFFF ? 1 : 2)) {
            result = targetExhausted;
            break;
        }
        target += EncodeUtf16(ch, target);
        source += trailing + 1;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

namespace {

std::u16string Convert(const char* text, std::size_t length, bool* failed) {
    // k bytes never give more than k units, so the buffer is sized once and
    // also serves as the result.
    std::u16string buffer(length, u'\0');
    const auto* source = reinterpret_cast<const unsigned char*>(text);
    char16_t* target = buffer.data();
    const bool ok = ConvertUTF8toUTF16(&source, source + length, &target, target + length) ==
                    conversionOK;
    if (failed != nullptr) *failed = !ok;
    if (!ok) return std::u16string();
    buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
    return buffer;
}

// Eight bytes from `bytes` all below 0x80.
bool IsAsciiBlock(const unsigned char* bytes) noexcept {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return (word & 0x8080808080808080u) == 0;
}

void ReportBadUtf8(const char* text) {
    // The input is untrusted: it is copied as bytes, never used as a format.
    const std::string report = std::string("bad utf8 string: '") + text + "'\r\n";
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

std::u16string Utf8ToWide(const std::string& text, bool* failed) { return Convert(text.data(), text.size(), failed); }

std::u16string Utf8ToWide(const char* s, bool* failed) { return Convert(s, s ? std::strlen(s) : 0, failed); }

std::u16string Utf8ToWideReported(const char* text) {
    bool failed = false;
    std::u16string wide = Utf8ToWide(text, &failed);
    if (failed) ReportBadUtf8(text);
    return wide;
}

std::size_t Utf8ToWideReported(const char* text, std::size_t length, char16_t* out) {
    const auto* source = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* const end = source + length;
    // ASCII, most log text, needs no checks: it is found eight bytes at a
    // time and widened in one loop.
    const unsigned char* ascii = source;
    while (end - ascii >= 8 && IsAsciiBlock(ascii)) ascii += 8;
    // Fewer than eight left: the text's last eight bytes, tested again in part.
    if (end - ascii < 8 && length >= 8 && IsAsciiBlock(end - 8)) ascii = end;
    while (ascii < end && *ascii < 0x80) ++ascii;
    char16_t* target = std::copy(source, ascii, out);
    source = ascii;
    if (source < end && ConvertUTF8toUTF16(&source, end, &target, out + length) != conversionOK) {
        ReportBadUtf8(text);
        return 0;
    }
    return static_cast<std::size_t>(target - out);
}

char32_t NextCodePoint(std::u16string_view text, std::size_t& at) noexcept {
    const char32_t unit = text[at++];
    if (IsHighSurrogate(unit) && at < text.size() && IsLowSurrogate(text[at]))
        return CombineSurrogates(unit, text[at++]);
    return unit;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    char16_t units[2];
    out.append(units, static_cast<std::size_t>(EncodeUtf16(c, units)));
}

void AppendUtf8(std::string& out, char32_t c) {
    char bytes[4];
    out.append(bytes, static_cast<std::size_t>(EncodeUtf8(c, bytes)));
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) AppendUtf8(out, NextCodePoint(text, at));
    return out;
}

std::u16string Utf8ToUtf16Lenient(std::string_view text) {
    // The strict converter does the work; each byte it stops at becomes one
    // U+FFFD, so the units never outnumber the bytes.
    std::u16string out(text.size(), u'\0');
    const auto* source = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = source + text.size();
    char16_t* target = out.data();
    while (ConvertUTF8toUTF16(&source, end, &target, out.data() + out.size()) != conversionOK) {
        *target++ = static_cast<char16_t>(kReplacementCharacter);
        ++source;
    }
    out.resize(static_cast<std::size_t>(target - out.data()));
    return out;
}

}  // namespace vzv
