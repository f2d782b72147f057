// The command line.
#pragma once

#include "record_filter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vzv::reader {

struct Options {
    std::vector<std::string> paths;  // UTF-8
    RecordFilter filter;
    bool json = false;
    bool all = false;
    bool follow = false;
    std::optional<double> followFor;  // seconds; implies follow
    bool help = false;
    // Following a folder: where the records go and where their positions are kept.
    std::string state;
    std::string out;
    std::optional<std::uint64_t> outMaxBytes;
    bool service = false;  // follow the folder as a Windows service
};

// Fills `options`, or returns a message for the user.
std::optional<std::string> ParseOptions(const std::vector<std::string>& args, Options& options);

extern const char* const kUsage;

}  // namespace vzv::reader
