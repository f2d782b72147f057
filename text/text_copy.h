// Copies of the runs a log line is made of (words, numbers, messages of a
// few dozen characters) in a few moves, without a call into the C library:
// its copy routines would be pages of code of their own, touched by every
// line. Long runs still go to memcpy. The ranges must not overlap.
#pragma once

#include "platform/compiler.h"

#include <cstddef>
#include <cstring>

namespace vzv {

namespace copy_detail {

// The first and the last `Width` bytes of a run of Width..2*Width bytes.
template <std::size_t Width>
void CopyEnds(char* to, const char* from, std::size_t n) noexcept {
    char first[Width], last[Width];
    std::memcpy(first, from, Width);
    std::memcpy(last, from + n - Width, Width);
    std::memcpy(to, first, Width);
    std::memcpy(to + n - Width, last, Width);
}

// Out of line: the moves would widen every function that copies, and a
// copy out of a small array would look to the compiler as if it might run
// past it. Internal linkage: each file gets a copy of its own, beside its
// own code, rather than sharing one wherever the linker keeps it.
VZV_HOT VZV_NOINLINE static inline void CopyLong(char* to, const char* from, std::size_t n) noexcept {
    if (n > 256) {
        std::memcpy(to, from, n);
        return;
    }
    // Sixteen bytes a move, the last move ending at the end.
    for (std::size_t i = 0; i + 16 < n; i += 16) std::memcpy(to + i, from + i, 16);
    std::memcpy(to + n - 16, from + n - 16, 16);
}

}  // namespace copy_detail

inline void CopyBytes(void* to, const void* from, std::size_t n) noexcept {
    using copy_detail::CopyEnds;
    auto* const out = static_cast<char*>(to);
    const auto* const in = static_cast<const char*>(from);
    if (n > 16) {
        copy_detail::CopyLong(out, in, n);
    } else if (n >= 8) {
        CopyEnds<8>(out, in, n);
    } else if (n >= 4) {
        CopyEnds<4>(out, in, n);
    } else if (n >= 2) {
        CopyEnds<2>(out, in, n);
    } else if (n == 1) {
        *out = *in;
    }
}

}  // namespace vzv
