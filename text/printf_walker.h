// The library's own printf engine, following the conventions of the Universal
// C Runtime (see printf_format.h). It formats on POSIX; on Windows its check
// decides which formats the runtime is given.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace vzv::printf_walker {

// True when the runtime accepts every directive of the format; a null format
// counts as valid (it formats to nothing).
bool IsValidFormat(const char* format) noexcept;
bool IsValidFormat(const wchar_t* format) noexcept;

// The defined text of an invalid format: the format itself, unformatted, cut
// to out[0..count) with a NUL.
std::size_t CopyFormatText(char* out, std::size_t count, const char* format) noexcept;
std::size_t CopyFormatText(char16_t* out, std::size_t count, const wchar_t* format) noexcept;

// Same contract as FormatNarrow / FormatWide.
std::size_t WalkNarrow(char* out, std::size_t count, const char* format,
                       std::va_list args) noexcept;
std::size_t WalkWide(char16_t* out, std::size_t count, const wchar_t* format,
                     std::va_list args) noexcept;

}  // namespace vzv::printf_walker
