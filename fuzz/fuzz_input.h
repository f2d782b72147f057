// Turning fuzzer bytes into the library's inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vzv::fuzz {

// Little-endian pairs of bytes; an odd last byte is dropped.
inline std::u16string Utf16(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    return text;
}

}  // namespace vzv::fuzz
