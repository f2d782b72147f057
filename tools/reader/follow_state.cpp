#include "follow_state.h"

#include "platform/tools.h"

#include <sstream>

namespace vzv::reader {

namespace {
const char kHeader[] = "vuzavov-log follow state 1";

// The path is there for people only; a line break in it would end the entry.
std::string OneLine(std::string path) {
    for (char& c : path)
        if (c == '\n' || c == '\r') c = '?';
    return path;
}
}  // namespace

std::uint64_t Fingerprint(std::string_view head) {
    std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a
    for (const char c : head) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    return hash;
}

std::optional<std::vector<LogPosition>> LoadState(const std::filesystem::path& path,
                                                  std::string& problem) {
    std::vector<LogPosition> logs;
    platform::SharedFile file;
    switch (file.Open(path)) {
    case platform::OpenResult::Opened: break;
    case platform::OpenResult::Missing: return logs;
    case platform::OpenResult::NotPlain:
        problem = "a link or not a regular file; refused (keep the state in a folder only the "
                  "reader's account can write)";
        return std::nullopt;
    case platform::OpenResult::Failed: problem = "cannot open the state"; return std::nullopt;
    }
    std::string bytes;
    char buffer[64 * 1024];
    for (std::size_t n; (n = file.Read(buffer, sizeof buffer)) != 0;) bytes.append(buffer, n);
    std::istringstream in(bytes);
    std::string line;
    if (!std::getline(in, line) || line != kHeader) {
        problem = "not a state file of vuzavov-log";
        return std::nullopt;
    }
    // "<volume> <index> <offset> <head length> <head hash> <path>"
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        LogPosition log;
        fields >> log.identity.volume >> log.identity.index >> log.offset >> log.headLength >>
            std::hex >> log.headHash;
        if (!fields || fields.get() != ' ' || log.headLength > kFingerprintBytes) {
            problem = "damaged line: " + line;
            return std::nullopt;
        }
        // A log is UTF-16: a read always ends between two code units.
        if (log.offset % 2 != 0) {
            problem = "odd offset, which no log can have been read to: " + line;
            return std::nullopt;
        }
        std::getline(fields, log.path);
        logs.push_back(std::move(log));
    }
    return logs;
}

bool SaveState(const std::filesystem::path& path, const std::vector<LogPosition>& logs) {
    std::ostringstream text;
    text << kHeader << '\n';
    for (const LogPosition& log : logs)
        text << log.identity.volume << ' ' << log.identity.index << ' ' << log.offset << ' '
             << log.headLength << ' ' << std::hex << log.headHash << std::dec << ' '
             << OneLine(log.path) << '\n';
    return platform::ReplaceFileContents(path, text.str());
}

}  // namespace vzv::reader
