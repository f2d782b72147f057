// printf formatting with the conventions of the Universal C Runtime of
// current Windows (ucrtbase.dll, with the options programs built by current
// Microsoft tools pass: legacy wide specifiers and standard rounding), on
// every platform, into a caller's fixed buffer.
//
// Conventions, the same in both widths:
// - %s %c %Z take the format's own width, %S %C the other one; the size
//   prefix h forces narrow, l and w force wide, T the format's own.
// - Integer size prefixes: hh (char), h (short), l (long), ll, j, z, t, I
//   (pointer-sized), I32, I64; a precision is capped at 512 digits.
// - Floating point: %a %A %e %E %f %F %g %G, any size prefix; L is the
//   caller's long double, printed as a double. Exact digits, halfway cases
//   to even; exponents have at least two digits; infinities and NaNs print
//   as inf, nan, nan(snan) and -nan(ind) (the indeterminate NaN), upper case
//   for %A %E %F %G; %a prints 13 hex digits by default, leaving subnormals
//   unnormalised.
// - %p prints the pointer as 16 upper-case hex digits, without prefix.
// - Flags - + space # 0, * width and precision (a negative * width means
//   left-justified, a negative * precision none; digits after a * still set
//   the value); 0 also pads strings and characters; %c has no precision.
// - A null string pointer prints "(null)".
//
// Cross-width text: on Windows the runtime converts through its current
// locale. Elsewhere narrow text is UTF-8, taken leniently (a byte that starts
// no valid sequence stands for U+0080..U+00FF), and wide text (UTF-32) becomes
// UTF-8 or UTF-16; string and character conversions never depend on the C
// locale. Width and precision count characters of the argument, as the
// runtime does: bytes of narrow text into narrow output, UTF-8 characters into
// wide output, wchar_t units of wide text.
//
// Bad input never ends the process:
// - a null format gives an empty text;
// - a format the runtime would refuse ("%k", a lone trailing "%", %n, "%5%",
//   a second size prefix, L w or T before an integer conversion, a width or
//   precision beyond INT_MAX) gives the format text itself, copied
//   unformatted, so that nothing of the message is lost.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace vzv {

// Formats into out[0..count), always NUL-terminated (count > 0), cutting
// silently; returns the text's length, which ends at its first NUL (a %c of
// 0 puts one). Never allocates on the heap.
std::size_t FormatNarrow(char* out, std::size_t count, const char* format,
                         std::va_list args) noexcept;

// Wide: the format is the caller's wchar_t text (UTF-16 on Windows, UTF-32 on
// Linux); the result is UTF-16 on both (count counts UTF-16 units), so Linux
// keeps the same 2047/16383-unit limits as Windows.
std::size_t FormatWide(char16_t* out, std::size_t count, const wchar_t* format,
                       std::va_list args) noexcept;

}  // namespace vzv
