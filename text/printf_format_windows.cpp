// On Windows the Universal C Runtime formats, through its bounded formatters
// with _TRUNCATE (see printf_ucrt.h).
//
// An invalid format would make the runtime call its invalid-parameter
// handler, which ends the process; so the runtime is never handed a format
// that the walker's check refuses, and such a format gets its defined text
// without any call. The runtime keeps its own errno, apart from the msvcrt.dll
// one this library and mingw clients see; it sets it only when a cross-width
// conversion fails.
#include "text/printf_format.h"

#include "text/printf_ucrt.h"
#include "text/printf_walker.h"

#include <string>

namespace vzv {
namespace {

// The text ends at its first NUL (a %c of 0 puts one), or at count - 1 units.
// -1 from the runtime means cut there, or a failed conversion, after which
// the text ends early: the format's text is given then. A cut text that
// holds a NUL of its own ends early too; `wholeLength`, the runtime's count
// of the whole text (-1 when it fails), tells the two apart.
template <class Unit, class Ch, class Count>
std::size_t Finish(int written, Unit* out, std::size_t count, const Ch* format,
                   Count wholeLength) noexcept {
    const Unit* const nul = std::char_traits<Unit>::find(out, count - 1, Unit{});
    const std::size_t length = nul != nullptr ? static_cast<std::size_t>(nul - out) : count - 1;
    if (written >= 0 || length == count - 1 || wholeLength() >= 0) return length;
    return printf_walker::CopyFormatText(out, count, format);
}

// What the runtime is not handed: no room, no format or a refused one.
template <class Unit, class Ch>
bool NotForTheRuntime(Unit* out, std::size_t count, const Ch* format, std::size_t& result) noexcept {
    if (out == nullptr || count == 0) return true;
    if (!printf_walker::IsValidFormat(format)) result = printf_walker::CopyFormatText(out, count, format);
    else if (format == nullptr) out[0] = 0;
    else return false;
    return true;
}

}  // namespace

std::size_t FormatNarrow(char* out, std::size_t count, const char* format,
                         std::va_list args) noexcept {
    std::size_t result = 0;
    if (NotForTheRuntime(out, count, format, result)) return result;
    std::va_list again;
    va_copy(again, args);
    const int written = __stdio_common_vsnprintf_s(kUcrtPrintfOptions, out, count, kUcrtTruncate,
                                                   format, nullptr, args);
    const std::size_t length = Finish(written, out, count, format, [&] {
        return __stdio_common_vsprintf(kUcrtPrintfOptions | kUcrtStandardSnprintf, nullptr, 0,
                                       format, nullptr, again);
    });
    va_end(again);
    return length;
}

std::size_t FormatWide(char16_t* out, std::size_t count, const wchar_t* format,
                       std::va_list args) noexcept {
    std::size_t result = 0;
    if (NotForTheRuntime(out, count, format, result)) return result;
    // wchar_t is UTF-16 here, laid out as char16_t.
    auto* wide = reinterpret_cast<wchar_t*>(out);
    std::va_list again;
    va_copy(again, args);
    const int written = __stdio_common_vsnwprintf_s(kUcrtPrintfOptions, wide, count, kUcrtTruncate,
                                                    format, nullptr, args);
    const std::size_t length = Finish(written, out, count, format, [&] {
        return __stdio_common_vswprintf(kUcrtPrintfOptions | kUcrtStandardSnprintf, nullptr, 0,
                                        format, nullptr, again);
    });
    va_end(again);
    return length;
}

}  // namespace vzv
