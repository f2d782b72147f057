#include "engine/log_writer.h"

#include "engine/log_line.h"
#include "path/path_utils.h"
#include "platform/platform.h"
#include "text/utf8.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace vzv {

std::int32_t g_writeCount = 0;

namespace {
constexpr char16_t kRotatedSuffix[] = u"_old";
// Room for an Information message (2,047 units) with its prefix and end.
constexpr std::size_t kInitialLineUnits = 2200;
}  // namespace

CLogWriter::CLogWriter()
    : m_file(std::make_unique<CLogFile>()),
      m_path(MakeAbsolutePath(u".") + kDefaultLogFileName),
      m_lock(std::make_unique<CLogMutex>(false, u"LogMutex")) {}

CLogWriter::~CLogWriter() { m_file->Close(nullptr); }

void CLogWriter::Close() {
    std::u16string error;
    if (!m_file->Close(&error)) Write(LOGLEVEL_ERROR, error.c_str());
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
        Write(LOGLEVEL_OFF, text.c_str());
    }
    m_level.store(clamped, std::memory_order_relaxed);
}

// A line on its way to the file. A caller that finds the lock taken leaves
// it in m_pending and waits for `written`; its text stays valid until then.
struct CLogWriter::PendingLine {
    std::int32_t level;
    const char* narrow;      // UTF-8, or null for `wide`
    const char16_t* wide;
    std::size_t length;      // code units of the text
    std::uint32_t threadId;
    PendingLine* next = nullptr;
    bool logged = false;
    std::atomic<bool> written{false};
};

namespace {
// A caller that handed its line over leaves the lock alone for about a few
// write calls: the holder, logging again, takes the line into its next
// write, and two lines go out in one call. Then it tries the lock itself,
// and after a while waits for it.
constexpr auto kHandOverWait = std::chrono::microseconds(5);
constexpr auto kSpinLimit = std::chrono::microseconds(200);
}  // namespace

void CLogWriter::Write(std::int32_t level, const char16_t* text) {
    if (level > Level()) return;
    Submit(level, nullptr, text, std::char_traits<char16_t>::length(text));
}

void CLogWriter::WriteNarrow(std::int32_t level, const char* text) {
    if (level > Level()) {
        // Ill-formed text is reported even when its line is not written.
        Utf8ToWideReported(text);
        return;
    }
    Submit(level, text, nullptr, text != nullptr ? std::strlen(text) : 0);
}

void CLogWriter::Submit(std::int32_t level, const char* narrow, const char16_t* wide,
                        std::size_t length) {
    PendingLine line{level, narrow, wide, length, platform::CurrentThreadId()};
    if (m_lock->TryLock()) {
        WriteLines(&line);
        m_lock->Unlock();
        return;
    }
    WaitForTurn(line);
}

void CLogWriter::WaitForTurn(PendingLine& line) {
    PendingLine* head = m_pending.load(std::memory_order_relaxed);
    do {
        line.next = head;
    } while (!m_pending.compare_exchange_weak(head, &line, std::memory_order_release,
                                              std::memory_order_relaxed));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1;; ++i) {
        if (line.written.load(std::memory_order_acquire)) return;
        if (i % 16 == 0) {
            const auto waited = std::chrono::steady_clock::now() - start;
            if (waited >= kHandOverWait && m_lock->TryLock()) break;
            if (waited >= kSpinLimit) {
                m_lock->Lock();
                break;
            }
        }
        platform::SpinPause();
    }
    // The lock is ours, not nested: our line is written by now or waits in
    // m_pending for this call.
    if (!line.written.load(std::memory_order_acquire)) WriteLines(nullptr);
    m_lock->Unlock();
}

CLogWriter::PendingLine* CLogWriter::TakePending() noexcept {
    // Usually nobody waits: no locked instruction then.
    if (m_pending.load(std::memory_order_relaxed) == nullptr) return nullptr;
    PendingLine* newestFirst = m_pending.exchange(nullptr, std::memory_order_acquire);
    PendingLine* oldestFirst = nullptr;
    while (newestFirst != nullptr) {
        PendingLine* const next = newestFirst->next;
        newestFirst->next = oldestFirst;
        oldestFirst = newestFirst;
        newestFirst = next;
    }
    return oldestFirst;
}

void CLogWriter::WriteLines(PendingLine* own) {
    // A nested hold belongs to a larger change (a path change, a rotation):
    // other threads' lines wait until it is over.
    PendingLine* lines = m_lock->HeldOnce() ? TakePending() : nullptr;
    if (own != nullptr) {
        own->next = nullptr;
        PendingLine** tail = &lines;
        while (*tail != nullptr) tail = &(*tail)->next;
        *tail = own;
    }
    std::int32_t lowest = LOGLEVEL_VERBOSE + 1;
    std::size_t units = 0;
    for (const PendingLine* line = lines; line != nullptr; line = line->next) {
        lowest = std::min(lowest, line->level);
        units += kMaxPrefixUnits + line->length + 2;
    }
    // Ready() first: a rotation may log a line of its own in the buffer.
    if (lines != nullptr && Ready(lowest)) {
        char16_t* const start = LineBuffer(units);
        char16_t* end = start;
        std::int32_t count = 0;
        for (PendingLine* line = lines; line != nullptr; line = line->next) {
            if (line->level > Level()) continue;
            end = PutLine(end, *line);
            line->logged = true;
            ++count;
        }
        if (count != 0) WriteBuilt(end);
        g_writeCount += count;
    }
    // A waiting caller returns, and its line goes, as soon as it sees
    // `written`: everything about a line is read before that.
    for (PendingLine* line = lines; line != nullptr;) {
        PendingLine* const next = line->next;
        // Ill-formed text is reported even when its line is not written.
        if (!line->logged && line->narrow != nullptr) Utf8ToWideReported(line->narrow);
        if (line != own) line->written.store(true, std::memory_order_release);
        line = next;
    }
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

char16_t* CLogWriter::PutLine(char16_t* at, const PendingLine& line) {
    char16_t* end = m_prefix.Put(at, line.level, line.threadId);
    if (line.narrow != nullptr) {
        // Ill-formed text is reported and logged as an empty line.
        end += line.length != 0 ? Utf8ToWideReported(line.narrow, line.length, end) : 0;
    } else {
        end = std::copy_n(line.wide, line.length, end);
    }
    *end++ = kLineEnd[0];
    *end++ = kLineEnd[1];
    return end;
}

void CLogWriter::WriteLine(std::int32_t level, const char16_t* text) {
    const PendingLine line{level, nullptr, text, std::char_traits<char16_t>::length(text),
                           platform::CurrentThreadId()};
    WriteBuilt(PutLine(LineBuffer(kMaxPrefixUnits + line.length + 2), line));
}

char16_t* CLogWriter::LineBuffer(std::size_t units) {
    if (units > m_lineCapacity) {
        // Doubling beyond the first size.
        const std::size_t capacity = std::max({units, 2 * m_lineCapacity, kInitialLineUnits});
        m_line = std::make_unique<char16_t[]>(capacity);
        m_lineCapacity = capacity;
    }
    return m_line.get();
}

void CLogWriter::WriteBuilt(const char16_t* end) {
    const auto bytes = static_cast<std::uint32_t>((end - m_line.get()) * sizeof(char16_t));
    m_file->Write(m_line.get(), bytes);
}

void CLogWriter::Rotate() {
    Close();
    const std::u16string rotated = m_path + kRotatedSuffix;
    // A scanner or reader may hold the file for a moment: wait a little,
    // bounded (150 ms in all), before the fallback leaves it in place.
    bool renamed = false;
    for (int attempt = 0;; ++attempt) {
        platform::RemoveFile(rotated.c_str());
        renamed = platform::RenameFile(m_path.c_str(), rotated.c_str());
        if (renamed || attempt == 4 || !platform::PathExists(m_path.c_str())) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10 << attempt));
    }
    // A full log that could not move aside must not be started afresh, which
    // would empty it (a reader that shares writing lets that open succeed):
    // start beside it, "app.log" becoming "app_.log".
    if (!renamed && m_path.size() >= 5 && platform::PathExists(m_path.c_str())) {
        m_path.insert(m_path.size() - 4, u"_");
        // A file left there by an earlier fallback is continued by the next
        // write, never started afresh over its lines.
        if (platform::PathExists(m_path.c_str())) return;
    }
    CreateFresh();
}

bool CLogWriter::CreateFresh() {
    CLogLockGuard guard(*m_lock);
    Close();
    if (Level() <= LOGLEVEL_OFF) return false;
    const bool existed = platform::PathExists(m_path.c_str());
    const auto length = static_cast<std::int32_t>(m_path.size());
    const auto openFresh = [this] {
        return m_file->Open(m_path.c_str(), platform::kGenericWrite, platform::kFileShareRead,
                            platform::kCreateAlways, platform::kFileAttributeNormal);
    };
    if (!openFresh()) {
        // The old file is still there and held elsewhere: start beside it,
        // "app.log" becoming "app_.log", until the next path change.
        if (length < 5 || !existed) return false;
        m_path.insert(static_cast<std::size_t>(length - 4), u"_");
        if (!openFresh()) return false;
    }
    static constexpr unsigned char kByteOrderMark[] = {0xFF, 0xFE};
    const bool marked = m_file->Write(kByteOrderMark, sizeof kByteOrderMark);
    WriteLine(LOGLEVEL_OFF, u"Runtime Log continue");
    WriteLine(LOGLEVEL_OFF, u"=========");
    return marked;
}

}  // namespace vzv
