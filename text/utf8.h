// The library's one UTF module. Narrow client text converts strictly from
// UTF-8 to UTF-16: only well-formed UTF-8 converts, and any fault fails the
// whole conversion, so a log never holds half a message or guessed
// characters. The plain helpers at the end serve the OS boundary, the
// public wchar_t boundary and the tools, where text is taken as it comes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vzv {

enum ConversionResult {
    conversionOK = 0,     // all input converted
    sourceExhausted = 1,  // the input ends inside a sequence
    targetExhausted = 2,  // the output range is full
    sourceIllegal = 3,    // ill-formed input
};

// Trailing bytes that follow each lead byte (0 to 5); counts above 3 never
// pass isLegalUTF8 but still say how far a truncated sequence would reach.
inline constexpr auto kTrailingBytesForUTF8 = [] {
    std::array<std::uint8_t, 256> table{};
    for (int lead = 0xC0; lead < 256; ++lead)
        table[lead] = lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : lead < 0xFC ? 4 : 5;
    return table;
}();

// True when the `length` bytes at `source` form one well-formed UTF-8
// sequence (length 1 to 4; anything else is illegal).
bool isLegalUTF8(const unsigned char* source, int length) noexcept;

// Converts [*sourceStart, sourceEnd) into [*targetStart, targetEnd). On return
// *sourceStart points at the first sequence not converted and *targetStart
// just past the last unit written.
ConversionResult ConvertUTF8toUTF16(const unsigned char** sourceStart, const unsigned char* sourceEnd,
                                    char16_t** targetStart, char16_t* targetEnd) noexcept;

// All `text.size()` bytes must be well-formed; the result ends before the
// first NUL. Empty on failure. `failed`, when given, is set either way.
std::u16string Utf8ToWide(const std::string& text, bool* failed = nullptr);
// The same for a NUL-terminated string; null counts as empty.
std::u16string Utf8ToWide(const char* text, bool* failed = nullptr);

// Utf8ToWide, and on failure "bad utf8 string: '<input>'\r\n" on standard
// output with the input's own bytes.
std::u16string Utf8ToWideReported(const char* text);

// The same into a caller's buffer, without allocating on success: converts
// the `length` bytes of the NUL-terminated `text` into `out`, which has room
// for `length` units, and returns the units written; 0 after a report.
std::size_t Utf8ToWideReported(const char* text, std::size_t length, char16_t* out);

// ---- Plain helpers: what cannot be text becomes U+FFFD ----

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool IsHighSurrogate(char32_t unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr char32_t CombineSurrogates(char32_t high, char32_t low) noexcept {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// The code point at text[at], a surrogate pair taken whole; `at` moves past
// it. An unpaired surrogate comes back as it is.
char32_t NextCodePoint(std::u16string_view text, std::size_t& at) noexcept;
// One unit, or a surrogate pair above U+FFFF, at `out`; above U+10FFFF,
// U+FFFD. Returns the units written (1 or 2).
inline int EncodeUtf16(char32_t c, char16_t* out) noexcept {
    if (c > 0x10FFFF) c = kReplacementCharacter;
    if (c < 0x10000) {
        out[0] = static_cast<char16_t>(c);
        return 1;
    }
    out[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    return 2;
}
// 1 to 4 bytes at `out`; a surrogate or a value above U+10FFFF becomes
// U+FFFD. Returns the bytes written.
inline int EncodeUtf8(char32_t c, char* out) noexcept {
    if (c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) c = kReplacementCharacter;
    const int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    for (int i = n - 1; i > 0; --i, c >>= 6) out[i] = static_cast<char>(0x80 | (c & 0x3F));
    static constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out[0] = static_cast<char>(kLead[n] | c);
    return n;
}
void AppendUtf16(std::u16string& out, char32_t c);
void AppendUtf8(std::string& out, char32_t c);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Each byte that begins no well-formed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16Lenient(std::string_view text);

}  // namespace vzv
