// Following every log of a folder, for shipping: files that appear are taken
// up, each read in order and the files in the order they were begun; with a
// state file, a restarted reader goes on exactly where it stopped.
#pragma once

#include "bounded_output.h"
#include "record_filter.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vzv::reader {

struct FolderFollowOptions {
    std::filesystem::path directory;
    std::string pattern;             // * and ? on file names; empty: names holding ".log"
    std::filesystem::path state;     // empty: none kept
    RecordFilter filter;
    std::optional<double> seconds;   // stop after; none: until SIGINT or SIGTERM
};

// A directory, or a directory and a file name pattern ("logs/*.log*").
// Nothing when `arg` is neither.
std::optional<FolderFollowOptions> FollowTarget(const std::string& arg);
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Writes the records as JSON lines to `out`; the exit status.
int FollowFolder(const FolderFollowOptions& options, BoundedOutput& out);

}  // namespace vzv::reader
