// Strict UTF-8 to UTF-16 conversion of narrow client text. Only well-formed
// UTF-8 converts; any fault fails the whole conversion, so a log never holds
// half a message or guessed characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vzv {

enum ConversionResult {
    conversionOK = 0,     // all input converted
    sourceExhausted = 1,  // the input ends inside a sequence
    targetExhausted = 2,  // the output range is full
    sourceIllegal = 3,    // ill-formed input
};

// Trailing bytes that follow each lead byte (0 to 5); counts above 3 never
// pass isLegalUTF8 but still say how far a truncated sequence would reach.
extern const std::uint8_t kTrailingBytesForUTF8[256];
// What the decoder's shift-and-add picks up from the marker bits of a
// sequence with t trailing bytes; subtracted to leave the code point.
extern const std::uint32_t kOffsetsFromUTF8[6];

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

}  // namespace vzv
