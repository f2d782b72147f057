// The library's own printf engine, following the Windows runtime's
// conventions (see printf_format.h). Portable: it is the formatter on POSIX,
// and Windows uses its format check and, for what msvcrt.dll cannot read, its
// formatting.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace vzv::printf_walker {

enum class FormatKind {
    Invalid,      // some conversion is not one we accept
    Classic,      // only what msvcrt.dll has always understood
    C99Sizes,     // valid, but uses j, z or t, which msvcrt.dll does not know
};

// Null counts as Classic: it formats to nothing.
FormatKind Classify(const char* format) noexcept;
FormatKind Classify(const wchar_t* format) noexcept;

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
