// The files that the command line names: directories become the log files in
// them, and --all adds each log's start-up log and _old generation.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vzv::reader {

struct Input {
    std::filesystem::path path;  // as the OS names it
    std::string label;           // for people and output: UTF-8, U+FFFD where not text
    std::string directory;       // the directory argument it was found in, if any
    bool optional = false;       // found rather than named: a non-log is skipped quietly
};

// Inputs in order, each file once (also when it has several names); with
// `all`, start-up logs first and _old generations next, so that records of
// the same millisecond merge in the order they were written. Arguments that
// name nothing usable are described in `problems`, links and other files
// that are not regular files found in a directory in `notes`.
std::vector<Input> ExpandInputs(const std::vector<std::string>& args, bool all,
                                std::vector<std::string>& problems,
                                std::vector<std::string>& notes);

// The start-up log beside a log: its first ".log" and all after it become
// ".startup.log". Empty when the name holds no ".log".
std::filesystem::path StartupLogName(const std::filesystem::path& logPath);

// 0 a start-up log, 1 an _old generation, 2 a live log: their order in time.
int Generation(const std::filesystem::path& path);

}  // namespace vzv::reader
