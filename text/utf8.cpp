#include "text/utf8.h"


#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace vzv {

const std::uint8_t kTrailingBytesForUTF8[256] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x00
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x10
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x20
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x30
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x40
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x50
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x60
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x70
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x80
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x90
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xA0
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xB0
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0xC0
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0xD0
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,  // 0xE0
    3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5,  // 0xF0
};

// Lead-byte mark << 6t plus 0x80 << 6k for each trailing byte, in 32 bits.
const std::uint32_t kOffsetsFromUTF8[6] = {0x00000000u, 0x00003080u, 0x000E2080u,
                                           0x03C82080u, 0xFA082080u, 0x82082080u};

bool isLegalUTF8(const unsigned char* source, int length) noexcept {
    if (length < 1 || length > 4) {
        return false;
    }
    const unsigned char lead = source[0];
    // Bytes from the third on are plain continuation bytes.
    for (int i = 2; i < length; ++i) {
        if (source[i] < 0x80 || source[i] > 0xBF) {
            return false;
        }
    }
    if (length >= 2) {
        // The second byte's range excludes overlong forms (E0, F0), encoded
        // surrogates (ED) and values above U+10FFFF (F4).
        const unsigned char second = source[1];
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        switch (lead) {
            case 0xE0: low = 0xA0; break;
            case 0xED: high = 0x9F; break;
            case 0xF0: low = 0x90; break;
            case 0xF4: high = 0x8F; break;
            default: break;
        }
        if (second < low || second > high) {
            return false;
        }
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
        const std::ptrdiff_t trailing = kTrailingBytesForUTF8[*source];
        if (trailing >= sourceEnd - source) {
            result = sourceExhausted;
            break;
        }
        if (!isLegalUTF8(source, static_cast<int>(trailing) + 1)) {
            result = sourceIllegal;
            break;
        }
        const unsigned char* lead = source;
        // Accumulates the marker bits too; the offset table takes them out.
        std::uint32_t ch = 0;
        for (std::ptrdiff_t i = 0; i < trailing; ++i) {
            ch += *source++;
            ch <<= 6;
        }
        ch += *source++;
        ch -= kOffsetsFromUTF8[trailing];

        if (target >= targetEnd) {
            source = lead;
            result = targetExhausted;
            break;
        }
        if (ch <= 0xFFFF) {
            *target++ = static_cast<char16_t>(ch);
        } else {
            // Never half a surrogate pair.
            if (targetEnd - target < 2) {
                source = lead;
                result = targetExhausted;
                break;
            }
            ch -= 0x10000;
            *target++ = static_cast<char16_t>(0xD800 + (ch >> 10));
            *target++ = static_cast<char16_t>(0xDC00 + (ch & 0x3FF));
        }
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

namespace {

std::u16string Convert(const char* text, std::size_t length, bool* failed) {
    // k bytes never give more than k units, so the buffer is sized once and
    // also serves as the result: a zero at the end stops it for the search
    // below, and no second copy is made.
    std::u16string buffer(length + 1, u'\0');
    const auto* source = reinterpret_cast<const unsigned char*>(text);
    char16_t* target = buffer.data();
    const ConversionResult result = ConvertUTF8toUTF16(&source, source + length, &target, target + length);
    if (failed != nullptr) {
        *failed = result != conversionOK;
    }
    if (result != conversionOK) {
        return std::u16string();
    }
    *target = u'\0';
    buffer.resize(buffer.find(u'\0'));
    return buffer;
}

}  // namespace

std::u16string Utf8ToWide(const std::string& text, bool* failed) {
    return Convert(text.data(), text.size(), failed);
}

std::u16string Utf8ToWide(const char* text, bool* failed) {
    return Convert(text, text != nullptr ? std::strlen(text) : 0, failed);
}

namespace {

void ReportBadUtf8(const char* text) {
    // The input is untrusted: it is copied as bytes, never used as a format.
    std::string report = "bad utf8 string: '";
    report += text;
    report += "'\r\n";
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

std::u16string Utf8ToWideReported(const char* text) {
    bool failed = false;
    std::u16string wide = Utf8ToWide(text, &failed);
    if (failed) ReportBadUtf8(text);
    return wide;
}

std::size_t Utf8ToWideReported(const char* text, std::size_t length, char16_t* out) {
    const auto* source = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* const end = source + length;
    char16_t* target = out;
    // ASCII, most log text, needs no checks: sixteen bytes at a time while
    // none has its top bit set.
    constexpr std::uint64_t kTopBits = 0x8080808080808080u;
    while (end - source >= 16) {
        // Copies of their own, which the compiler knows target cannot alias.
        unsigned char chunk[16];
        std::uint64_t words[2];
        std::memcpy(chunk, source, sizeof chunk);
        std::memcpy(words, chunk, sizeof words);
        if (((words[0] | words[1]) & kTopBits) != 0) break;
        target = std::copy(chunk, chunk + 16, target);
        source += 16;
    }
    while (source < end && *source < 0x80) *target++ = *source++;
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
    if (c > 0x10FFFF) c = kReplacementCharacter;
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) c = kReplacementCharacter;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
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
