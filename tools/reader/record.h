// One log record: a prefixed line and the lines that continue its text.
#pragma once

#include "log_time.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vzv::reader {

struct Record {
    std::uint32_t thread = 0;
    LogTime time;
    int level = 0;
    // The prefix as written, then the text in UTF-8 with the line breaks it
    // contained; without the final line end.
    std::string line;
    std::size_t prefixLength = 0;
    const std::string* source = nullptr;  // label of the file it came from

    std::string_view Prefix() const { return std::string_view(line).substr(0, prefixLength); }
    std::string_view Text() const { return std::string_view(line).substr(prefixLength); }
};

}  // namespace vzv::reader
