// printf formatting with the conventions of the Windows C runtime (msvcrt), on
// every platform, into a caller's fixed buffer.
//
// Conventions, the same in both widths:
// - %s and %c take the format's own width, %S and %C the other one; the size
//   prefix h forces narrow, l and w force wide.
// - Integer size prefixes: h and hh (short, as the runtime reads both), l
//   (long), ll, I32, I64, I (pointer-sized), j, z, t.
// - Floating point: l (double) and L (long double, the caller's own type);
//   exponents have at least three digits; halfway cases round away from zero;
//   infinities and NaNs print as 1.#INF, 1.#QNAN, 1.#SNAN and -1.#IND; %a
//   prints 13 hex digits by default. %F is not a conversion.
// - %p prints the pointer as 16 upper-case hex digits without 0x (# adds 0X).
// - Flags - + space # 0, * width and precision (a negative * width means
//   left-justified, a negative * precision none); 0 also pads strings.
// - A null string pointer prints "(null)".
//
// Cross-width text: on Windows the runtime converts through its current
// locale. Elsewhere narrow text is UTF-8, taken leniently (a byte that starts
// no valid sequence stands for U+0080..U+00FF), and wide text (UTF-32) becomes
// UTF-8 or UTF-16; string and character conversions never depend on the C
// locale. Width and precision count code units of the output.
//
// Bad input never ends the process:
// - a null format gives an empty text;
// - a format with any invalid conversion ("%k", a lone trailing "%", %n,
//   a size prefix that does not fit its conversion, such as %lls or %zs)
//   gives the format text itself, copied unformatted, so that nothing of the
//   message is lost.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace vzv {

// Formats into out[0..count), always NUL-terminated (count > 0), cutting
// silently; returns units written excluding the NUL. Never allocates on the
// heap.
std::size_t FormatNarrow(char* out, std::size_t count, const char* format,
                         std::va_list args) noexcept;

// Wide: the format is the caller's wchar_t text (UTF-16 on Windows, UTF-32 on
// Linux); the result is UTF-16 on both (count counts UTF-16 units), so Linux
// keeps the same 2047/16383-unit limits as Windows.
std::size_t FormatWide(char16_t* out, std::size_t count, const wchar_t* format,
                       std::va_list args) noexcept;

}  // namespace vzv
