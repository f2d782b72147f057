// A lenient reader of log files for tests that expect damage: it counts lines
// that are not whole instead of failing on them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vzv::test {

struct LogRecord {
    int level = 0;
    std::string text;  // UTF-8
};

struct LogScan {
    std::vector<LogRecord> lines;  // the whole lines, in file order
    std::size_t broken = 0;        // physical lines without a whole prefix or CR LF
};

// Reads a UTF-16LE log from byte `from` on (past a prefill), skipping a byte
// order mark there. A missing file reads as empty.
LogScan ScanLog(const std::filesystem::path& path, std::uintmax_t from = 0);

}  // namespace vzv::test
