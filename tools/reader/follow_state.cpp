#include "follow_state.h"

#include <fstream>
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
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return logs;
    std::ifstream in(path, std::ios::binary);
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
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        const std::string bytes = text.str();
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) return false;
    }
    return platform::MoveReplacing(temporary.u16string().c_str(), path.u16string().c_str());
}

}  // namespace vzv::reader
