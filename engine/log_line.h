// The shape of one log line: "<thread> | yy.mm.dd hh:mm:ss.mmm |<level>| "
// followed by the text and CR LF, stored as UTF-16LE code units.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <cstddef>

namespace vzv {

inline constexpr const char16_t* kLineEnd = u"\r\n";
// The longest prefix: a ten-digit thread id, a five-digit year and a
// negative level still fit.
inline constexpr std::size_t kMaxPrefixUnits = 64;

// Writes the prefix of a line of `threadId` at local time `t` (by default
// now) at `out` (room for kMaxPrefixUnits, all of which it may write) and
// returns its end.
char16_t* PutLinePrefix(char16_t* out, int level, std::uint32_t threadId,
                        const platform::LocalTime& t) noexcept;
inline char16_t* PutLinePrefix(char16_t* out, int level, std::uint32_t threadId) noexcept {
    return PutLinePrefix(out, level, threadId, platform::LocalTimeNow());
}

}  // namespace vzv
