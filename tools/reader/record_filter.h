// Which records are shown: every condition given must hold.
#pragma once

#include "record.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vzv::reader {

struct RecordFilter {
    std::optional<int> maxLevel;  // as the library filters: level <= N
    std::optional<std::uint32_t> thread;
    std::optional<std::uint64_t> since;  // LogTime keys, both inclusive
    std::optional<std::uint64_t> until;
    std::string text;  // a plain substring of the text

    bool Accepts(const Record& record) const;
};

}  // namespace vzv::reader
