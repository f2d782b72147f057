// Decimal numbers in text of any character type, written by std::to_chars.
#pragma once

#include <charconv>
#include <cstddef>

namespace vzv {

// Appends `value` in decimal; a value that is not negative is zero-padded
// to at least `width` digits.
template <class String, class Integer>
void AppendDecimal(String& out, Integer value, std::size_t width = 0) {
    char digits[24];
    char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const auto count = static_cast<std::size_t>(end - digits);
    if (count < width) out.append(width - count, '0');
    out.append(digits, end);
}

}  // namespace vzv
