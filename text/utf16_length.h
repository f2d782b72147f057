// The length of NUL-terminated UTF-16 text, a word at a time: the C library
// has no scan for 16-bit units where wchar_t is 32 bits wide.
#pragma once

#include <cstddef>

namespace vzv {

// Code units before the first NUL.
std::size_t Utf16Length(const char16_t* text) noexcept;

}  // namespace vzv
