// The shape of one log line: "<thread> | yy.mm.dd hh:mm:ss.mmm |<level>| "
// followed by the text and CR LF, stored as UTF-16LE code units.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>

namespace vzv {

inline constexpr const char16_t* kLineEnd = u"\r\n";
// The longest prefix: a ten-digit thread id, a five-digit year and a
// negative level still fit.
inline constexpr std::size_t kMaxPrefixUnits = 64;

// Writes prefixes for the calling thread and the current local time,
// keeping the thread, date and time text of the last line, so that most
// lines format only the milliseconds and the level. Not thread-safe: the writer keeps one
// and uses it under its lock.
class CLinePrefix {
public:
    // Writes at `out` (room for kMaxPrefixUnits) and returns the end.
    char16_t* Put(char16_t* out, int level, std::uint32_t threadId) noexcept;

private:
    // Keeps the text of a new second or thread.
    void Remember(std::uint32_t threadId, const platform::LocalTime& now) noexcept;

    platform::LocalTime m_time{};  // the second m_text shows
    std::uint32_t m_threadId = 0;  // the thread m_text shows
    bool m_valid = false;
    std::size_t m_length = 0;
    char16_t m_text[48] = {};  // "<thread> | yy.mm.dd hh:mm:ss"
};

// The prefix for the calling thread and the current local time.
std::u16string FormatLinePrefix(int level);

}  // namespace vzv
