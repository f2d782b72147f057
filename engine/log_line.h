// The shape of one log line: "<thread> | yy.mm.dd hh:mm:ss.mmm |<level>| "
// followed by the text and CR LF, stored as UTF-16LE code units.
#pragma once

#include <cstdint>
#include <string>

namespace vzv {

inline constexpr const char16_t* kLineEnd = u"\r\n";
// The longest prefix: a ten-digit thread id, a five-digit year and a
// negative level still fit.
inline constexpr std::size_t kMaxPrefixUnits = 64;

// Writes line prefixes; the text up to the seconds is kept while the second
// and thread stay the same, as is the level's text, so most lines
// write only the milliseconds.
class LinePrefix {
public:
    // Writes the prefix of a line of `threadId` at the current local time at
    // `out` (room for kMaxPrefixUnits) and returns its end.
    char16_t* Put(char16_t* out, int level, std::uint32_t threadId) noexcept;

private:
    char16_t m_head[kMaxPrefixUnits] = {};  // "<thread> | yy.mm.dd hh:mm:ss."
    std::size_t m_headUnits = 0;
    std::uint32_t m_key[7] = {};  // thread, then year to second; a month is never 0
    char16_t m_tail[16] = {};  // " |<level>| " of the last line's level
    std::size_t m_tailUnits = 0;
    int m_level = 0;
};

// The prefix for the calling thread and the current local time.
std::u16string FormatLinePrefix(int level);

}  // namespace vzv
