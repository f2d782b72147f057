// Local times as the log writes them (no zone, a two-digit year read as
// 20yy), and as the command line takes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vzv::reader {

struct LogTime {
    int year = 0;  // four digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    // yyyymmddhhmmssmmm: orders times by plain integer comparison.
    std::uint64_t Key() const;
    // ISO 8601 local time with milliseconds: 2026-12-05T14:05:09.123.
    std::string Iso() const;
};

// "yyyy-mm-dd[( |T)hh:mm[:ss[.mmm]]]" as a key. Fields left out are taken at
// their start, or with `upTo` at their end, so that "--until 2026-12-05"
// includes that whole day.
std::optional<std::uint64_t> ParseTimeArgument(std::string_view text, bool upTo);

}  // namespace vzv::reader
