#include "text/utf16_length.h"

#include "platform/compiler.h"

#include <cstdint>
#include <cstring>

namespace vzv {

// Reads whole aligned words, so it may read past the NUL, but never beyond
// the word that holds it: never into another page. Address sanitizers would
// report those bytes, which the result never depends on.
VZV_HOT VZV_NO_SANITIZE std::size_t Utf16Length(const char16_t* text) noexcept {
    const char16_t* p = text;
    for (; reinterpret_cast<std::uintptr_t>(p) % sizeof(std::uint64_t) != 0; ++p)
        if (*p == 0) return static_cast<std::size_t>(p - text);
    constexpr std::uint64_t kOnes = 0x0001000100010001u;
    constexpr std::uint64_t kHighBits = 0x8000800080008000u;
    for (;; p += 4) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        // Non-zero exactly when one of the four units is zero.
        if (((word - kOnes) & ~word & kHighBits) != 0) break;
    }
    while (*p != 0) ++p;
    return static_cast<std::size_t>(p - text);
}

}  // namespace vzv
