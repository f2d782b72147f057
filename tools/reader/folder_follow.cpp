#include "folder_follow.h"

#include "follow_state.h"
#include "inputs.h"
#include "interrupt.h"
#include "json_record.h"
#include "line_prefix.h"
#include "record_parser.h"
#include "platform/tools.h"
#include "shown_text.h"
#include "utf16_decoder.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <limits>
#include <map>
#include <set>
#include <thread>
#include <unordered_map>
#include <vector>

namespace vzv::reader {

namespace fs = std::filesystem;
using platform::SharedFile;

namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;
constexpr std::size_t kHeadBytes = 2 + 2 * kMaxPrefixLength;
constexpr auto kPollInterval = std::chrono::milliseconds(200);
// The folder is looked at when the OS tells of a change, at the end, and at
// least this often, in case a change went untold (a notification lost or
// lagging).
constexpr auto kLookAtLeastEvery = std::chrono::seconds(5);
// The output is synced and the state saved after a pass that wrote records,
// at most once a second (its cost grows with the number of logs), and
// within a pass after this much output, so that a crash repeats little.
constexpr auto kSaveAtMostEvery = std::chrono::seconds(1);
constexpr std::uint64_t kSaveAfterBytes = 8 * 1024 * 1024;
constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

// A log missing from this many listings in a row is forgotten. Until then
// it keeps its place: a file caught between the listing and the look at its
// identity (renamed to "_old" just then) is found again at the next poll.
constexpr int kForgetAfter = 25;

struct Tracked {
    LogPosition position;  // its path is the label, for output and people
    fs::path path;         // as the OS names it; empty until listed
    std::uint64_t begun = kUnknown;  // time of the first record, as a key
    int generation = 2;
    bool notALog = false;
    int missed = 0;  // listings in a row without it
    // What the listing shows, and what it showed when the file was last
    // opened: a file that did not change is not opened again.
    std::uint64_t size = 0, openedSize = kUnknown;
    std::int64_t modified = 0, openedModified = 0;
    bool Unchanged() const { return size == openedSize && modified == openedModified; }
    void Opened() {
        openedSize = size;
        openedModified = modified;
    }
};

// Up to `size` bytes from where the file stands, fewer only at its end.
std::size_t ReadFull(SharedFile& file, char* buffer, std::size_t size) {
    std::size_t got = 0;
    for (std::size_t n; got < size && (n = file.Read(buffer + got, size - got)) != 0;) got += n;
    return got;
}

// The end of the last whole line (an LF code unit) in `bytes`, which start
// at an even file offset; 0 when there is none. With `beforeRecord`, the
// last CR LF that a record's prefix follows: the records before it are
// whole, while the last one may go on past `size`.
std::size_t LastLineEnd(const char* bytes, std::size_t size, bool beforeRecord) {
    for (std::size_t i = size & ~std::size_t{1}; i >= 2; i -= 2) {
        if (bytes[i - 2] != '\n' || bytes[i - 1] != '\0') continue;
        if (!beforeRecord) return i;
        if (i < 4 || bytes[i - 4] != '\r' || bytes[i - 3] != '\0') continue;
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
        : m_options(options), m_out(out), m_watch(options.directory), m_chunk(kChunkBytes) {}

    bool Load() {
        if (m_options.state.empty()) return true;
        std::string problem;
        const auto positions = LoadState(m_options.state, problem);
        if (!positions) {
            std::cerr << "vuzavov-log: " << ShownName(m_options.state) << ": " << problem << '\n';
            return false;
        }
        for (const LogPosition& position : *positions) {
            m_logs.emplace_back();
            m_logs.back().position = position;
        }
        return true;
    }

    // When the folder may have changed (or `look` says so): a look at it, or
    // at the files the OS named, and one read of every log that changed;
    // false when output or state could not be written.
    bool Poll(bool look) {
        const auto now = std::chrono::steady_clock::now();
        m_changed.clear();
        const platform::FolderWatch::Change change = m_watch.Take(m_changed);
        if (change == platform::FolderWatch::Change::Any || look || m_retry ||
            now - m_looked >= kLookAtLeastEvery || (!m_changed.empty() && !Update())) {
            m_looked = now;
            m_retry = false;
            List();
        } else if (m_changed.empty()) {
            return CommitDue(now);
        }
        bool reorder = m_listed;
        for (Tracked& log : m_logs)
            if (log.begun == kUnknown && !log.notALog && log.missed == 0 && !log.Unchanged())
                reorder |= Probe(log);
        if (reorder) {
            std::stable_sort(m_logs.begin(), m_logs.end(), [](const Tracked& a, const Tracked& b) {
                return a.begun != b.begun ? a.begun < b.begun : a.generation < b.generation;
            });
            m_byName.clear();
            for (std::size_t i = 0; i < m_logs.size(); ++i)
                if (m_logs[i].missed == 0) m_byName.emplace(m_logs[i].path.native(), i);
            m_listed = false;
        }
        // A full output stops the pass, so that the files keep their order.
        for (Tracked& log : m_logs) {
            if (log.begun == kUnknown || log.missed > 0 || log.Unchanged()) continue;
            const BoundedOutput::Result result = ReadNew(log);
            if (result == BoundedOutput::Result::Failed) return false;
            if (result == BoundedOutput::Result::Later) {
                m_retry = true;
                break;
            }
        }
        return CommitDue(now);
    }

    bool CommitDue(std::chrono::steady_clock::time_point now) {
        return m_unsaved == 0 || now - m_committed < kSaveAtMostEvery || Commit();
    }

    // The output on the disk, then the state that counts it.
    bool Commit() {
        m_unsaved = 0;
        m_committed = std::chrono::steady_clock::now();
        if (!m_out.Sync()) {
            std::cerr << "vuzavov-log: cannot sync the records out\n";
            return false;
        }
        if (m_options.state.empty()) return true;
        std::vector<LogPosition> positions;
        for (const Tracked& log : m_logs) positions.push_back(log.position);
        if (SaveState(m_options.state, positions)) return true;
        std::cerr << "vuzavov-log: " << ShownName(m_options.state) << ": cannot write the state\n";
        return false;
    }

private:
    // Once per name: a warning at every poll would flood the log.
    void WarnOnce(const fs::path& path, const char* what) {
        if (m_warned.insert(path).second)
            std::cerr << "warning: " << ShownName(path) << ": " << what << '\n';
    }

    // The files the OS named as changed, looked at again; false when one of
    // them is no longer the file followed under that name.
    bool Update() {
        for (const fs::path& name : m_changed) {
            const fs::path path = m_options.directory / name;
            const auto at = m_byName.find(path.native());
            if (at == m_byName.end()) continue;  // not a log followed
            Tracked& log = m_logs[at->second];
            const platform::FileStatus status = platform::LookAt(path);
            if (status.kind != platform::OpenResult::Opened ||
                !(status.identity == log.position.identity))
                return false;
            log.size = status.size;
            log.modified = status.modified;
        }
        return true;
    }

    // The logs now in the folder, known ones by their identity; the last
    // component of each name is looked at, never followed.
    void List() {
        std::vector<std::pair<fs::path, platform::FileStatus>> found;
        std::error_code error;
        for (fs::directory_iterator it(m_options.directory, error), end; !error && it != end;
             it.increment(error)) {
            const fs::path& path = it->path();
            static const fs::path::string_type log = fs::path(".log").native();
            const bool wanted =
                m_options.pattern.empty()
                    ? path.filename().native().find(log) != fs::path::string_type::npos
                    : WildcardMatch(m_options.pattern, DisplayName(path.filename()));
            if (!wanted) continue;
            const platform::FileStatus status = platform::LookAt(path);
            if (status.kind == platform::OpenResult::NotPlain)
                WarnOnce(path, "skipped, a link or not a regular file");
            else if (status.kind == platform::OpenResult::Opened)
                found.emplace_back(path, status);
        }
        if (error) return;  // an unfinished listing would drop logs
        std::sort(found.begin(), found.end(),
                  [](const auto& a, const auto& b) { return a.first.native() < b.first.native(); });
        std::map<platform::FileIdentity, std::size_t> known;
        for (std::size_t i = 0; i < m_logs.size(); ++i) known.emplace(m_logs[i].position.identity, i);
        // A log keeps the name it was read under; any other name for it
        // (a hard link) is not read again.
        std::vector<std::size_t> order;
        for (std::size_t pass = 0; pass < 2; ++pass)
            for (std::size_t i = 0; i < found.size(); ++i) {
                const auto at = known.find(found[i].second.identity);
                const bool sameName =
                    at != known.end() && m_logs[at->second].path.native() == found[i].first.native();
                if (sameName == (pass == 0)) order.push_back(i);
            }
        std::vector<Tracked> now;
        std::vector<bool> taken(m_logs.size());
        std::set<platform::FileIdentity> listed;
        for (const std::size_t i : order) {
            const auto& [path, status] = found[i];
            if (!listed.insert(status.identity).second) {
                WarnOnce(path, "another name for a log already followed; not read again");
                continue;
            }
            const auto at = known.find(status.identity);
            Tracked log;
            if (at != known.end()) {
                log = std::move(m_logs[at->second]);
                taken[at->second] = true;
            }
            if (log.path.native() != path.native()) {
                log.path = path;
                log.position.path = DisplayName(path);
                log.generation = Generation(path);
            }
            log.position.identity = status.identity;
            log.size = status.size;
            log.modified = status.modified;
            log.missed = 0;
            now.push_back(std::move(log));
        }
        for (std::size_t i = 0; i < m_logs.size(); ++i)
            if (!taken[i] && ++m_logs[i].missed < kForgetAfter) now.push_back(std::move(m_logs[i]));
        m_logs = std::move(now);
        m_listed = true;
    }

    // Opens the listed file, provided it still is the one listed.
    bool OpenListed(const Tracked& log, SharedFile& file) {
        platform::FileIdentity identity;
        switch (file.Open(log.path)) {
        case platform::OpenResult::Opened:
            return file.Identity(identity) && identity == log.position.identity;
        case platform::OpenResult::NotPlain:
            WarnOnce(log.path, "skipped, a link or not a regular file");
            return false;
        default: return false;
        }
    }

    // Whether it is a log, and when it was begun (true once known); an empty
    // file (or one with no more than a byte order mark) is asked again when
    // it changes.
    bool Probe(Tracked& log) {
        SharedFile file;
        if (!OpenListed(log, file)) return false;
        log.Opened();
        std::string head(kHeadBytes, '\0');
        head.resize(ReadFull(file, head.data(), head.size()));
        std::string text;
        Utf16Decoder decoder;
        decoder.Decode(head.data(), head.size(), text);
        if (text.empty()) return false;
        const auto prefix = ParseLinePrefix(text);
        // The first line may still be on its way.
        if (!prefix && head.size() < kHeadBytes && text.find('\n') == std::string::npos)
            return false;
        // Read below, as a file that changed.
        log.openedSize = kUnknown;
        if (prefix) {
            log.begun = prefix->time.Key();
        } else {
            log.notALog = true;
            std::cerr << "note: " << ShownName(log.path) << ": skipped, not a log of this library\n";
        }
        return true;
    }

    // Writes out the whole lines added since the last read, a chunk at a
    // time. Written: all of them (or the file is gone for now).
    BoundedOutput::Result ReadNew(Tracked& log) {
        LogPosition& at = log.position;
        SharedFile file;
        if (!OpenListed(log, file)) return BoundedOutput::Result::Written;
        const std::uint64_t size = file.Size();
        std::string head(kFingerprintBytes, '\0');
        head.resize(ReadFull(file, head.data(), head.size()));
        if (size < at.offset)
            std::cerr << "warning: " << ShownName(log.path) << ": read to byte " << at.offset
                      << ", beyond its end now (" << size << " bytes); read from its start\n";
        // Another file under a reused identity, or one emptied and begun anew.
        if (size < at.offset || head.size() < at.headLength ||
            (at.headLength > 0 &&
             Fingerprint(std::string_view(head).substr(0, at.headLength)) != at.headHash)) {
            at.offset = 0;
            at.headLength = 0;
            at.headHash = 0;
            ++m_unsaved;
        }
        while (at.offset < size && file.Seek(at.offset)) {
            if (Interrupted()) return BoundedOutput::Result::Written;
            const std::size_t got = ReadFull(file, m_chunk.data(), m_chunk.size());
            const bool more = got == m_chunk.size();
            std::size_t take = LastLineEnd(m_chunk.data(), got, more);
            // No record starts in a whole chunk: a damaged file; take it as it is.
            if (take == 0 && more) take = LastLineEnd(m_chunk.data(), got, false);
            if (take == 0 && more) take = got;
            if (take == 0) break;
            const BoundedOutput::Result written = WriteOut(log, take);
            if (written != BoundedOutput::Result::Written) return written;
            at.offset += take;
            if (at.headLength < kFingerprintBytes) {
                at.headLength = static_cast<std::uint32_t>(
                    std::min<std::uint64_t>({kFingerprintBytes, head.size(), at.offset}));
                at.headHash = Fingerprint(std::string_view(head).substr(0, at.headLength));
            }
            m_unsaved += take;
            if (m_unsaved >= kSaveAfterBytes && !Commit()) return BoundedOutput::Result::Failed;
        }
        log.Opened();
        return BoundedOutput::Result::Written;
    }

    BoundedOutput::Result WriteOut(const Tracked& log, std::size_t size) {
        const LogPosition& at = log.position;
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
            std::cerr << "warning: " << ShownName(log.path) << ": damaged lines near byte "
                      << at.offset << '\n';
        const BoundedOutput::Result written = m_out.Write(m_batch);
        if (written == BoundedOutput::Result::Failed)
            std::cerr << "vuzavov-log: cannot write the records out\n";
        return written;
    }

    const FolderFollowOptions& m_options;
    BoundedOutput& m_out;
    platform::FolderWatch m_watch;
    std::chrono::steady_clock::time_point m_looked{}, m_committed{};
    bool m_retry = false;          // the last pass stopped at a full output
    std::uint64_t m_unsaved = 0;   // output (and resets) that the saved state does not count
    std::vector<Tracked> m_logs;
    bool m_listed = false;  // m_logs listed anew since the last sort
    std::unordered_map<fs::path::string_type, std::size_t> m_byName;  // listed logs
    std::vector<fs::path> m_changed;                                 // as the OS named them
    std::set<fs::path> m_warned;
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
    const std::string name = DisplayName(path.filename());
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
        const bool last = Interrupted() || Clock::now() >= deadline;
        if (!follower.Poll(last)) return 1;
        if (last) break;
        std::this_thread::sleep_for(kPollInterval);
    }
    return follower.Commit() ? 0 : 1;
}

}  // namespace vzv::reader
