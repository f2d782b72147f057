#include "engine/log_writer.h"

#include "engine/log_line.h"
#include "engine/log_path.h"
#include "platform/platform.h"
#include "text/utf8.h"

#include <algorithm>
#include <cstring>
#include <chrono>
#include <thread>

namespace vzv {

std::int32_t g_writeCount = 0;

namespace {
constexpr char16_t kRotatedSuffix[] = u"_old";
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

void CLogWriter::Write(std::int32_t level, const char16_t* text) {
    if (level > Level()) return;
    CLogLockGuard guard(*m_lock);
    if (!Ready(level)) return;
    WriteLine(level, text);
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

void CLogWriter::WriteNarrow(std::int32_t level, const char* text) {
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    if (level <= Level()) {
        CLogLockGuard guard(*m_lock);
        // Ready() first: a rotation may log a line of its own in the buffer.
        if (Ready(level)) {
            char16_t* const start = m_prefix.Put(LineBuffer(length), level);
            // Ill-formed text is reported and logged as an empty line.
            WriteBuiltLine(start + (length != 0 ? Utf8ToWideReported(text, length, start) : 0));
            ++g_writeCount;
            return;
        }
    }
    // Ill-formed text is reported even when its line is not written.
    Utf8ToWideReported(text);
}

void CLogWriter::WriteLine(std::int32_t level, const char16_t* text) {
    const std::size_t length = std::char_traits<char16_t>::length(text);
    char16_t* const start = m_prefix.Put(LineBuffer(length), level);
    WriteBuiltLine(std::copy_n(text, length, start));
}

char16_t* CLogWriter::LineBuffer(std::size_t textUnits) {
    const std::size_t needed = kMaxPrefixUnits + textUnits + 2;
    if (needed > m_lineCapacity) {
        // Room for an Information message at once, doubling beyond.
        const std::size_t capacity = std::max({needed, 2 * m_lineCapacity, std::size_t{2200}});
        m_line = std::make_unique<char16_t[]>(capacity);
        m_lineCapacity = capacity;
    }
    return m_line.get();
}

void CLogWriter::WriteBuiltLine(char16_t* end) {
    *end++ = kLineEnd[0];
    *end++ = kLineEnd[1];
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
