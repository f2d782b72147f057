// Scans of NUL-terminated text sixteen bytes at a time, for code units of 1,
// 2 or 4 bytes. They stand in for strchr/strlen (and for the 16-bit units
// that the C library has no scan for where wchar_t is 32 bits): a log line's
// texts are short, and each C library scan costs a call and a page of code.
#pragma once

#include "platform/compiler.h"

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VZV_SCAN_SSE2 1
#endif
#if defined(_MSC_VER)
#include <intrin.h>
#endif

namespace vzv {

namespace scan_detail {

inline unsigned LowestSetBit(unsigned mask) noexcept {
#if defined(_MSC_VER)
    unsigned long index;
    _BitScanForward(&index, mask);
    return index;
#else
    return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}

#if defined(VZV_SCAN_SSE2)
// One bit per byte of `block` that belongs to a unit equal to zero or to
// `unit` (splatted).
template <std::size_t Size>
unsigned Matches(__m128i block, __m128i unit) noexcept {
    const __m128i zero = _mm_setzero_si128();
    __m128i hits;
    if constexpr (Size == 1)
        hits = _mm_or_si128(_mm_cmpeq_epi8(block, zero), _mm_cmpeq_epi8(block, unit));
    else if constexpr (Size == 2)
        hits = _mm_or_si128(_mm_cmpeq_epi16(block, zero), _mm_cmpeq_epi16(block, unit));
    else
        hits = _mm_or_si128(_mm_cmpeq_epi32(block, zero), _mm_cmpeq_epi32(block, unit));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

template <std::size_t Size>
__m128i Splat(std::uint32_t unit) noexcept {
    if constexpr (Size == 1) return _mm_set1_epi8(static_cast<char>(unit));
    else if constexpr (Size == 2) return _mm_set1_epi16(static_cast<short>(unit));
    else return _mm_set1_epi32(static_cast<int>(unit));
}
#endif

}  // namespace scan_detail

// The first unit equal to `unit`, or the terminating NUL. Reads whole
// aligned blocks, so it may read past the NUL but never beyond the block
// that holds it: never into another page. Address sanitizers would report
// those bytes, which the result never depends on.
template <class Ch>
VZV_NO_SANITIZE inline const Ch* FindUnitOrEnd(const Ch* p, Ch unit) noexcept {
    static_assert(sizeof(Ch) == 1 || sizeof(Ch) == 2 || sizeof(Ch) == 4);
#if defined(VZV_SCAN_SSE2)
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    if (address % sizeof(Ch) == 0) {
        using namespace scan_detail;
        const __m128i target = Splat<sizeof(Ch)>(static_cast<std::uint32_t>(unit));
        const auto* block = reinterpret_cast<const __m128i*>(address & ~std::uintptr_t{15});
        const unsigned skip = static_cast<unsigned>(address & 15);
        unsigned mask = (Matches<sizeof(Ch)>(_mm_load_si128(block), target) >> skip) << skip;
        while (mask == 0) mask = Matches<sizeof(Ch)>(_mm_load_si128(++block), target);
        return reinterpret_cast<const Ch*>(reinterpret_cast<const char*>(block) +
                                           LowestSetBit(mask));
    }
#endif
    while (*p != unit && *p != 0) ++p;
    return p;
}

// Units before the terminating NUL.
template <class Ch>
inline std::size_t TextLength(const Ch* text) noexcept {
    return static_cast<std::size_t>(FindUnitOrEnd(text, Ch{0}) - text);
}

}  // namespace vzv
