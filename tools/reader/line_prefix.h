// The prefix that starts every record:
// "<thread, at least 5 wide> | yy.mm.dd hh:mm:ss.mmm |<level>| ".
#pragma once

#include "log_time.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vzv::reader {

struct LinePrefix {
    std::uint32_t thread = 0;
    LogTime time;
    int level = 0;
    std::size_t length = 0;  // characters up to and including the final space
};

// The prefix at the start of `line`, or nothing when the line does not start
// with one (it then continues the previous record's text).
std::optional<LinePrefix> ParseLinePrefix(std::string_view line);

// The longest prefix the writer can produce: a 10-digit thread, an 11-character level.
inline constexpr std::size_t kMaxPrefixLength = 49;

}  // namespace vzv::reader
