#include "engine/log_writer.h"

#include "engine/log_line.h"
#include "path/path_utils.h"
#include "platform/platform.h"
#include "text/utf8.h"

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <string>
#include <string_view>
#include <thread>

namespace vzv {

std::int32_t g_writeCount = 0;

namespace {
constexpr char16_t kRotatedSuffix[] = u"_old";
constexpr char16_t kFreshSuffix[] = u"_new";
// Room for an Information message (2,047 units) with its prefix and end.
constexpr std::size_t kInitialLineUnits = 2200;
// A narrow text of up to this many bytes is converted on the stack.
constexpr std::size_t kShortTextUnits = 2048;
// How long a thread whose line waits for the lock leaves it to the holder
// before it sleeps on the lock: a few lines' write calls.
constexpr auto kHandOverWait = std::chrono::microseconds(3);

// Tries `step` up to five times, 150 ms in all: a scanner or reader may hold
// a file for a moment.
template <class Step>
bool Retried(Step step) {
    for (int attempt = 0;; ++attempt) {
        if (step()) return true;
        if (attempt == 4) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10 << attempt));
    }
}

// A file at `path` holding the byte order mark and the header lines, all in
// one write; false unless every byte was written and the file closed.
bool WriteFreshFile(const std::u16string& path) {
    CLogFile file;
    if (!file.Open(path.c_str(), platform::kGenericWrite, platform::kFileShareRead,
                   platform::kCreateAlways, platform::kFileAttributeNormal))
        return false;
    char16_t header[3 + 2 * kMaxPrefixUnits + 40];
    char16_t* end = header;
    *end++ = u'\uFEFF';  // FF FE in the file's little-endian order
    for (const std::u16string_view line : {u"Runtime Log continue", u"========="}) {
        end = std::copy(line.begin(), line.end(),
                        PutLinePrefix(end, LOGLEVEL_OFF, platform::CurrentThreadId()));
        *end++ = kLineEnd[0];
        *end++ = kLineEnd[1];
    }
    const bool written =
        file.Write(header, static_cast<std::uint32_t>((end - header) * sizeof(char16_t)));
    return file.Close(nullptr) && written;
}
}  // namespace

CLogWriter::CLogWriter()
    : m_file(std::make_unique<CLogFile>()),
      m_path(MakeAbsolutePath(u".") + kDefaultLogFileName),
      m_lock(std::make_unique<CLogMutex>(false, u"LogMutex")) {}

CLogWriter::~CLogWriter() { m_file->Close(nullptr); }

void CLogWriter::Close() {
    std::u16string error;
    if (!m_file->Close(&error)) Write(LOGLEVEL_ERROR, error);
}

void CLogWriter::SetPath(const char16_t* path) {
    CLogLockGuard guard(*m_lock);
    Close();
    m_path = path;
    if (m_path.empty() || m_path.back() == u'\\') m_path += kDefaultLogFileName;
}

void CLogWriter::SetLevel(std::int32_t level) {
    const std::int32_t clamped = std::clamp(level, std::int32_t{LOGLEVEL_OFF},
                                            std::int32_t{LOGLEVEL_VERBOSE});
    CLogLockGuard guard(*m_lock);
    const std::int32_t current = Level();
    if (clamped != current && (clamped != LOGLEVEL_OFF || IsOpen())) {
        const std::u16string text = u"Switch Runtime Log Level from '" + LevelName(current) +
                                    u"' to '" + LevelName(clamped) + u"'";
        Write(LOGLEVEL_OFF, text);
    }
    m_level.store(clamped, std::memory_order_relaxed);
}

void CLogWriter::Write(std::int32_t level, std::u16string_view text) {
    if (level > Level()) return;
    Submit(level, text);
}

void CLogWriter::WriteNarrow(std::int32_t level, std::string_view text) {
    if (level > Level()) {
        // Ill-formed text is reported even when its line is not written.
        Utf8ToWideReported(text.data());
        return;
    }
    // Every Information and Error message fits here, framed for its line; a
    // longer text gets a buffer of its own.
    char16_t line[kMaxPrefixUnits + kShortTextUnits + 2];
    char16_t* const wide = line + kMaxPrefixUnits;
    if (text.size() <= kShortTextUnits) {
        Submit(level, {wide, Utf8ToWideReported(text.data(), text.size(), wide)}, wide);
        return;
    }
    Submit(level, Utf8ToWideReported(text.data()));
}

void CLogWriter::Submit(std::int32_t level, std::u16string_view text, char16_t* frame) {
    PendingLine line{level, platform::CurrentThreadId(), text, frame};
    if (m_lock->TryLock()) WriteAndRelease(&line);
    else WaitForTurn(line);
}

void CLogWriter::WriteAndRelease(const PendingLine* own) {
    do {
        {
            CLogLockGuard guard(*m_lock, std::adopt_lock);
            if (own != nullptr) WriteOne(*own);
            own = nullptr;
            WriteWaiting();
        }
        // A line left after the last look need not wait for its own thread,
        // which would otherwise write it once it has the lock.
    } while (m_waiting.load(std::memory_order_relaxed) != nullptr && m_lock->TryLock());
}

void CLogWriter::WaitForTurn(PendingLine& line) {
    PendingLine* head = m_waiting.load(std::memory_order_relaxed);
    do {
        line.next = head;
    } while (!m_waiting.compare_exchange_weak(head, &line, std::memory_order_release,
                                              std::memory_order_relaxed));
    // The holder may have let go before the line was left: it is ours then.
    if (m_lock->TryLock()) {
        WriteAndRelease(nullptr);
        return;
    }
    // The holder writes the line before it lets go, usually within a few
    // write calls: the thread spins that long, on a processor of its own,
    // then sleeps on the lock, so that threads beyond the processors' number
    // take no turns that the holder needs. Once it has the lock it writes
    // whatever still waits, its own line included.
    const auto start = std::chrono::steady_clock::now();
    while (!line.written.load(std::memory_order_acquire)) {
        if (std::chrono::steady_clock::now() - start >= kHandOverWait) {
            m_lock->Lock();
            WriteAndRelease(nullptr);
            return;
        }
        platform::SpinPause();
    }
}

void CLogWriter::WriteWaiting() {
    // Usually nobody waits: no locked instruction then.
    if (m_waiting.load(std::memory_order_relaxed) == nullptr) return;
    PendingLine* newestFirst = m_waiting.exchange(nullptr, std::memory_order_acquire);
    PendingLine* oldestFirst = nullptr;
    while (newestFirst != nullptr) {
        PendingLine* const next = newestFirst->next;
        newestFirst->next = oldestFirst;
        oldestFirst = newestFirst;
        newestFirst = next;
    }
    while (oldestFirst != nullptr) {
        PendingLine* const next = oldestFirst->next;
        try {
            WriteOne(*oldestFirst);
        } catch (...) {
            // Another thread's line that cannot be built (no memory) is
            // dropped: the failure is not this caller's to see.
        }
        // Its caller returns, and the line goes, as soon as it is marked.
        oldestFirst->written.store(true, std::memory_order_release);
        oldestFirst = next;
    }
}

void CLogWriter::WriteOne(const PendingLine& line) {
    // Ready() first: a rotation may log a line of its own in the buffer.
    if (!Ready(line.level)) return;
    WriteLine(line.level, line.threadId, line.text, line.frame);
    ++g_writeCount;
}

bool CLogWriter::Ready(std::int32_t level) {
    if (level > Level()) return false;
    if (g_writeCount >= kSizeCheckInterval && IsOpen()) {
        // A size that cannot be read (-1) never rotates.
        if (m_file->Size() > kMaxLogFileSize) Rotate();
        g_writeCount = 0;
    }
    if (!IsOpen() &&
        m_file->Open(m_path.c_str(), platform::kGenericWrite, platform::kFileShareRead,
                     platform::kOpenExisting, platform::kFileAttributeNormal)) {
        // A file that already holds lines is continued, never overwritten.
        m_file->SeekToEnd();
        EndTornLine();
    }
    return IsOpen();
}

void CLogWriter::EndTornLine() {
    // A process killed inside a write can leave its last line cut short;
    // without an end of its own it would swallow the next line written here.
    const std::int64_t size = m_file->Size();
    if (size <= 2) return;  // empty, or only the byte order mark
    if (size % 2 != 0) {
        // Half a code unit: complete it, so that the lines after stay aligned.
        static constexpr char kHighByte = '\0';
        m_file->Write(&kHighByte, 1);
    }
    // NULs at the end, as a crash can leave them, are skipped by readers and
    // need no end.
    char16_t last[2] = {};
    if (platform::ReadFileTail(m_path.c_str(), last, sizeof last) && last[1] != 0 &&
        (last[0] != kLineEnd[0] || last[1] != kLineEnd[1]))
        m_file->Write(kLineEnd, sizeof last);
}

void CLogWriter::WriteLine(std::int32_t level, std::uint32_t threadId,
                           std::u16string_view text, char16_t* frame) {
    char16_t* start;
    char16_t* end;
    if (frame != nullptr) {
        char16_t prefix[kMaxPrefixUnits];
        const auto prefixUnits = PutLinePrefix(prefix, level, threadId) - prefix;
        start = frame - prefixUnits;
        std::copy_n(prefix, prefixUnits, start);
        end = frame + text.size();
    } else {
        const std::size_t units = kMaxPrefixUnits + text.size() + 2;
        if (units > m_lineCapacity) {
            // Doubling beyond the first size.
            m_lineCapacity = std::max({units, 2 * m_lineCapacity, kInitialLineUnits});
            m_line = std::make_unique<char16_t[]>(m_lineCapacity);
        }
        start = m_line.get();
        end = std::copy(text.begin(), text.end(), PutLinePrefix(start, level, threadId));
    }
    *end++ = kLineEnd[0];
    *end++ = kLineEnd[1];
    m_file->Write(start, static_cast<std::uint32_t>((end - start) * sizeof(char16_t)));
}

void CLogWriter::Rotate() {
    Close();
    const std::u16string rotated = m_path + kRotatedSuffix;
    bool renamed = false;
    Retried([&] {
        platform::RemoveFile(rotated.c_str());
        renamed = platform::RenameFile(m_path.c_str(), rotated.c_str());
        return renamed || !platform::PathExists(m_path.c_str());
    });
    // A full log that could not move aside must not be started afresh, which
    // would empty it (a reader that shares writing lets that open succeed):
    // start beside it.
    if (!renamed && platform::PathExists(m_path.c_str()) && MoveBeside()) {
        // A file left there by an earlier fallback is continued by the next
        // write, never started afresh over its lines.
        if (platform::PathExists(m_path.c_str())) return;
    }
    CreateFresh();
}

bool CLogWriter::MoveBeside() {
    if (m_path.size() < 5) return false;
    m_path.insert(m_path.size() - 4, u"_");
    return true;
}

bool CLogWriter::CreateFresh() {
    CLogLockGuard guard(*m_lock);
    Close();
    if (Level() <= LOGLEVEL_OFF) return false;
    // A log made at the path meanwhile (by another process) is kept: the
    // fresh one starts beside it, until the next path change.
    if (platform::PathExists(m_path.c_str()) && !MoveBeside()) return false;
    // The fresh log is made whole under a name of its own and then moved to
    // its path, which never takes an existing file's place: a process killed
    // on the way leaves it whole or not at all (at worst "<path>_new", which
    // the next rotation replaces). The next write opens it.
    const std::u16string fresh = m_path + kFreshSuffix;
    const bool placed = Retried([&] {
        return WriteFreshFile(fresh) && platform::PlaceFile(fresh.c_str(), m_path.c_str());
    });
    if (!placed) platform::RemoveFile(fresh.c_str());
    return placed;
}

}  // namespace vzv
