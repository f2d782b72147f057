// The shape of one log line: "<thread> | yy.mm.dd hh:mm:ss.mmm |<level>| "
// followed by the text and CR LF, stored as UTF-16LE code units.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>

namespace vzv {

inline constexpr const char16_t* kLineEnd = u"\r\n";

// The prefix for the calling thread and the current local time.
std::u16string FormatLinePrefix(int level);
// The prefix for a given thread and time.
std::u16string FormatLinePrefix(int level, std::uint32_t threadId, const platform::LocalTime& time);

// Replaces `line` with prefix, `text` up to its first NUL, and kLineEnd. The
// caller keeps `line` between calls so its storage is reused.
void BuildLine(std::u16string& line, int level, const char16_t* text);

}  // namespace vzv
