// The Universal C Runtime's bounded formatters, imported from ucrtbase.dll
// (the rest of the library uses msvcrt.dll), and the options that programs
// built with current Microsoft tools pass them: the legacy wide specifiers
// (%s and %c take the format's own width) and standard rounding.
#pragma once

#include <cstdarg>
#include <cstddef>

extern "C" {
int __cdecl __stdio_common_vsnprintf_s(unsigned long long options, char* buffer,
                                       std::size_t bufferCount, std::size_t maxCount,
                                       const char* format, void* locale, va_list args);
int __cdecl __stdio_common_vsnwprintf_s(unsigned long long options, wchar_t* buffer,
                                        std::size_t bufferCount, std::size_t maxCount,
                                        const wchar_t* format, void* locale, va_list args);
// With no buffer: the length of the whole text, or -1 when it fails.
int __cdecl __stdio_common_vsprintf(unsigned long long options, char* buffer,
                                    std::size_t bufferCount, const char* format, void* locale,
                                    va_list args);
int __cdecl __stdio_common_vswprintf(unsigned long long options, wchar_t* buffer,
                                     std::size_t bufferCount, const wchar_t* format,
                                     void* locale, va_list args);
}

namespace vzv {

constexpr unsigned long long kUcrtStandardSnprintf = 0x2;  // counts without a buffer
constexpr unsigned long long kUcrtLegacyWideSpecifiers = 0x4;
constexpr unsigned long long kUcrtStandardRounding = 0x20;
constexpr unsigned long long kUcrtPrintfOptions = kUcrtLegacyWideSpecifiers | kUcrtStandardRounding;
constexpr std::size_t kUcrtTruncate = static_cast<std::size_t>(-1);

}  // namespace vzv
