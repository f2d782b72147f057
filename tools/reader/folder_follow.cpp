#include "folder_follow.h"

#include "follow_state.h"
#include "inputs.h"
#include "interrupt.h"
#include "json_record.h"
#include "line_prefix.h"
#include "record_parser.h"
#include "platform/tools.h"
#include "utf16_decoder.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <limits>
#include <thread>
#include <vector>

namespace vzv::reader {

namespace fs = std::filesystem;
using platform::SharedFile;

namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;
constexpr std::size_t kHeadBytes = 2 + 2 * kMaxPrefixLength;
constexpr auto kPollInterval = std::chrono::milliseconds(200);
constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

// A log missing from this many listings in a row is forgotten. Until then
// it keeps its place: a file caught between the listing and the look at its
// identity (renamed to "_old" just then) is found again at the next poll.
constexpr int kForgetAfter = 25;

struct Tracked {
    LogPosition position;
    std::uint64_t begun = kUnknown;  // time of the first record, as a key
    bool notALog = false;
    int missed = 0;  // listings in a row without it
};

// Up to `size` bytes from where the file stands, fewer only at its end.
std::size_t ReadFull(SharedFile& file, char* buffer, std::size_t size) {
    std::size_t got = 0;
    for (std::size_t n; got < size && (n = file.Read(buffer + got, size - got)) != 0;) got += n;
    return got;
}

// The end of the last whole line (an LF code unit) in `bytes`, which start
// at an even file offset; 0 when there is none. With `beforeRecord`, the
// last line end that a record's prefix follows: the records before it are
// whole, while the last one may go on past `size`.
std::size_t LastLineEnd(const char* bytes, std::size_t size, bool beforeRecord) {
    for (std::size_t i = size & ~std::size_t{1}; i >= 2; i -= 2) {
        if (bytes[i - 2] != '\n' || bytes[i - 1] != '\0') continue;
        if (!beforeRecord) return i;
        std::string next;
        Utf16Decoder decoder;
        decoder.Decode("x", 2, next);
        next.clear();
        decoder.Decode(bytes + i, std::min(size - i, 2 * kMaxPrefixLength), next);
        if (ParseLinePrefix(next)) return i;
    }
    return 0;
}

class FolderFollower {
public:
    FolderFollower(const FolderFollowOptions& options, BoundedOutput& out)
        : m_options(options), m_out(out), m_chunk(kChunkBytes) {}

    bool Load() {
        if (m_options.state.empty()) return true;
        std::string problem;
        const auto positions = LoadState(m_options.state, problem);
        if (!positions) {
            std::cerr << "vuzavov-log: " << m_options.state.u8string() << ": " << problem << '\n';
            return false;
        }
        for (const LogPosition& position : *positions) m_logs.push_back({position});
        return true;
    }

    // One look at the folder and one read of every log that grew; false
    // when output or state could not be written.
    bool Poll() {
        List();
        for (Tracked& log : m_logs)
            if (log.begun == kUnknown && !log.notALog && log.missed == 0) Probe(log);
        std::stable_sort(m_logs.begin(), m_logs.end(), [](const Tracked& a, const Tracked& b) {
            if (a.begun != b.begun) return a.begun < b.begun;
            return Generation(fs::u8path(a.position.path)) < Generation(fs::u8path(b.position.path));
        });
        // A full output stops the pass, so that the files keep their order.
        for (Tracked& log : m_logs) {
            const BoundedOutput::Result result = log.begun == kUnknown || log.missed > 0
                                                     ? BoundedOutput::Result::Written
                                                     : ReadNew(log);
            if (result != BoundedOutput::Result::Written)
                return result == BoundedOutput::Result::Later;
        }
        return true;
    }

    bool Save() const {
        if (m_options.state.empty()) return true;
        std::vector<LogPosition> positions;
        for (const Tracked& log : m_logs) positions.push_back(log.position);
        if (SaveState(m_options.state, positions)) return true;
        std::cerr << "vuzavov-log: " << m_options.state.u8string() << ": cannot write the state\n";
        return false;
    }

private:
    // The logs now in the folder, known ones by their identity.
    void List() {
        std::vector<std::pair<std::string, fs::path>> names;
        std::error_code error;
        for (fs::directory_iterator it(m_options.directory, error), end; !error && it != end;
             it.increment(error)) {
            const std::string name = it->path().filename().u8string();
            const bool wanted = m_options.pattern.empty() ? name.find(".log") != std::string::npos
                                                          : WildcardMatch(m_options.pattern, name);
            std::error_code ignored;
            if (wanted && it->is_regular_file(ignored)) names.emplace_back(name, it->path());
        }
        if (error) return;  // an unfinished listing would drop logs
        std::sort(names.begin(), names.end());
        std::vector<Tracked> now;
        for (const auto& [name, path] : names) {
            platform::FileIdentity identity;
            if (!platform::GetFileIdentity(path.u16string().c_str(), identity)) continue;
            const auto known = std::find_if(m_logs.begin(), m_logs.end(), [&](const Tracked& t) {
                return t.position.identity == identity;
            });
            Tracked log = known != m_logs.end() ? *known : Tracked{};
            log.position.identity = identity;
            log.position.path = path.u8string();
            log.missed = 0;
            if (known != m_logs.end()) known->missed = -1;  // taken
            now.push_back(std::move(log));
        }
        for (Tracked& log : m_logs)
            if (log.missed >= 0 && ++log.missed < kForgetAfter) now.push_back(std::move(log));
        m_logs = std::move(now);
    }

    // Whether it is a log, and when it was begun; an empty file (or one with
    // no more than a byte order mark) is asked again next time.
    void Probe(Tracked& log) {
        SharedFile file;
        if (!file.Open(fs::u8path(log.position.path))) return;
        std::string head(kHeadBytes, '\0');
        head.resize(ReadFull(file, head.data(), head.size()));
        std::string text;
        Utf16Decoder decoder;
        decoder.Decode(head.data(), head.size(), text);
        if (text.empty()) return;
        const auto prefix = ParseLinePrefix(text);
        // The first line may still be on its way.
        if (!prefix && head.size() < kHeadBytes && text.find('\n') == std::string::npos) return;
        if (prefix) {
            log.begun = prefix->time.Key();
        } else {
            log.notALog = true;
            std::cerr << "note: " << log.position.path << ": skipped, not a log of this library\n";
        }
    }

    // Writes out the whole lines added since the last read, a chunk at a
    // time, saving the state after each chunk is out. Written: all of them
    // (or the file is gone for now).
    BoundedOutput::Result ReadNew(Tracked& log) {
        LogPosition& at = log.position;
        SharedFile file;
        if (!file.Open(fs::u8path(at.path))) return BoundedOutput::Result::Written;
        const std::uint64_t size = file.Size();
        std::string head(kFingerprintBytes, '\0');
        head.resize(ReadFull(file, head.data(), head.size()));
        // Another file under a reused identity, or one emptied and begun anew.
        if (size < at.offset || head.size() < at.headLength ||
            (at.headLength > 0 &&
             Fingerprint(std::string_view(head).substr(0, at.headLength)) != at.headHash)) {
            at.offset = 0;
            at.headLength = 0;
            at.headHash = 0;
        }
        while (at.offset < size && !Interrupted() && file.Seek(at.offset)) {
            const std::size_t got = ReadFull(file, m_chunk.data(), m_chunk.size());
            const bool more = got == m_chunk.size();
            std::size_t take = LastLineEnd(m_chunk.data(), got, more);
            // No record starts in a whole chunk: a damaged file; take it as it is.
            if (take == 0 && more) take = LastLineEnd(m_chunk.data(), got, false);
            if (take == 0 && more) take = got;
            if (take == 0) break;
            const BoundedOutput::Result written = WriteOut(at, take);
            if (written != BoundedOutput::Result::Written) return written;
            at.offset += take;
            if (at.headLength < kFingerprintBytes) {
                at.headLength = static_cast<std::uint32_t>(
                    std::min<std::uint64_t>({kFingerprintBytes, head.size(), at.offset}));
                at.headHash = Fingerprint(std::string_view(head).substr(0, at.headLength));
            }
            if (!Save()) return BoundedOutput::Result::Failed;
        }
        return BoundedOutput::Result::Written;
    }

    BoundedOutput::Result WriteOut(const LogPosition& at, std::size_t size) {
        Utf16Decoder decoder;
        std::string text;
        // A byte order mark is one only at the start of the file.
        if (at.offset != 0) decoder.Decode("x", 2, text);
        text.clear();
        decoder.Decode(m_chunk.data(), size, text);
        decoder.Finish(text);
        RecordParser parser(&at.path);
        parser.Feed(text);
        parser.Finish();
        m_batch.clear();
        for (Record record; parser.Pop(record);)
            if (m_options.filter.Accepts(record)) AppendJsonRecord(m_batch, record);
        if (parser.strayLines() || parser.droppedBytes() || decoder.faults().replaced)
            std::cerr << "warning: " << at.path << ": damaged lines near byte " << at.offset << '\n';
        const BoundedOutput::Result written = m_out.Write(m_batch);
        if (written == BoundedOutput::Result::Failed)
            std::cerr << "vuzavov-log: cannot write the records out\n";
        return written;
    }

    const FolderFollowOptions& m_options;
    BoundedOutput& m_out;
    std::vector<Tracked> m_logs;
    std::vector<char> m_chunk;
    std::string m_batch;
};

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    // Greedy with one backtrack point: enough for * and ?.
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::optional<FolderFollowOptions> FollowTarget(const std::string& arg) {
    const fs::path path = fs::u8path(arg);
    std::error_code error;
    FolderFollowOptions target;
    if (fs::is_directory(path, error)) {
        target.directory = path;
        return target;
    }
    const std::string name = path.filename().u8string();
    const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (name.find_first_of("*?") == std::string::npos || !fs::is_directory(parent, error))
        return std::nullopt;
    target.directory = parent;
    target.pattern = name;
    return target;
}

int FollowFolder(const FolderFollowOptions& options, BoundedOutput& out) {
    using Clock = std::chrono::steady_clock;
    FolderFollower follower(options, out);
    if (!follower.Load()) return 1;
    const InterruptGuard guard;
    const bool bounded = options.seconds && *options.seconds < 1e9;
    const auto deadline = bounded ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                       std::chrono::duration<double>(*options.seconds))
                                  : Clock::time_point::max();
    for (;;) {
        if (!follower.Poll()) return 1;
        if (Interrupted() || Clock::now() >= deadline) break;
        std::this_thread::sleep_for(kPollInterval);
    }
    return follower.Save() ? 0 : 1;
}

}  // namespace vzv::reader
