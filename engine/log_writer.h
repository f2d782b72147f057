// CLogWriter owns the log file: it filters lines by its own level, appends
// them under its lock to a file that already exists, and caps the file's size
// by moving it aside to "<path>_old" and starting a fresh one. A thread that
// holds the lock also writes the lines of the threads waiting for it, each
// in a write call of its own, so that many threads logging at once write
// their lines back to back instead of taking turns at the lock.
#pragma once

#include "engine/log_file.h"
#include "engine/log_level.h"
#include "engine/log_line.h"
#include "engine/log_mutex.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vzv {

// Lines written since the last size check; shared by the module, changed only
// under the writer's lock.
extern std::int32_t g_writeCount;

// Appended to a directory path: the writer's default file.
inline constexpr const char16_t* kDefaultLogFileName = u"RavIrivuzo.log";
inline constexpr std::int64_t kMaxLogFileSize = 52428800;  // 50 MiB
inline constexpr std::int32_t kSizeCheckInterval = 50;

class CLogWriter {
public:
    // Level 3, the working directory's "RavIrivuzo.log", not yet open.
    // Throws "Out of mutex" when the lock cannot be created.
    CLogWriter();
    ~CLogWriter();
    CLogWriter(const CLogWriter&) = delete;
    CLogWriter& operator=(const CLogWriter&) = delete;

    bool IsOpen() const noexcept { return m_file->IsOpen(); }
    // Callers hold the lock or own the writer exclusively. A failed close is
    // recorded in the log as an Error line.
    void Close();
    // Closes the file and takes the new path; an empty path or one ending in
    // a backslash gets "RavIrivuzo.log" appended. Opened by the next Write.
    void SetPath(const char16_t* path);
    // Clamps to 0..4 and logs the change as a level-0 line.
    void SetLevel(std::int32_t level);
    // One filtered, locked line, written before the call returns. The
    // ordinary path opens existing files only and continues them at their end.
    void Write(std::int32_t level, std::u16string_view text);
    // UTF-8 text, NUL-terminated at its end; ill-formed text is reported on
    // standard output and logged as an empty line. The text is converted,
    // and reported, before the lock is taken: a report held up by a full
    // standard output holds up no other thread's line.
    void WriteNarrow(std::int32_t level, std::string_view text);

    // The lock, for callers that make several changes as one.
    CLogSyncObject& SyncObject() noexcept { return *m_lock; }
    std::int32_t Level() const noexcept { return m_level.load(std::memory_order_relaxed); }
    // Under the lock only.
    const std::u16string& Path() const noexcept { return m_path; }

private:
    // A line on its way to the file. A caller that finds the lock taken
    // leaves its line in m_waiting and waits until `written`; the line and
    // its text stay valid until then.
    struct PendingLine {
        std::int32_t level;
        std::uint32_t threadId;
        std::u16string_view text;
        char16_t* frame;  // see Submit
        PendingLine* next = nullptr;
        std::atomic<bool> written{false};
    };
    // Writes the line when the level and the file allow, under the lock,
    // by this thread or by the one that holds the lock. A `frame` is the
    // text's own start in a buffer with room for a prefix before it and the
    // line end after it: the line is then built and written there.
    void Submit(std::int32_t level, std::u16string_view text, char16_t* frame = nullptr);
    // Holding the lock: writes `own`, if given, and the waiting lines, and
    // lets go; takes the lock again for lines left meanwhile.
    void WriteAndRelease(const PendingLine* own);
    // Returns once `line`, left in m_waiting, is written.
    void WaitForTurn(PendingLine& line);
    // Under the lock: the lines left in m_waiting, in the order they came.
    void WriteWaiting();
    void WriteOne(const PendingLine& line);
    // Under the lock: rotates when due and opens the file; true when a line
    // of `level` is to be written now.
    bool Ready(std::int32_t level);
    // Ends a line that a killed writer left without its line end.
    void EndTornLine();
    // Builds the line of `threadId` (prefix, text, line end) around a framed
    // text or in m_line, and writes it in one call. Also the writer's own
    // lines, inside a hold.
    void WriteLine(std::int32_t level, std::uint32_t threadId, std::u16string_view text,
                   char16_t* frame = nullptr);
    void Rotate();
    // m_path becomes the name beside it, "app.log" becoming "app_.log"; false
    // for a path too short to hold a name and ".log".
    bool MoveBeside();
    // Puts a whole fresh log (mark and header) at m_path, or none; false
    // then. The file stays closed.
    bool CreateFresh();

    std::unique_ptr<CLogFile> m_file;
    // Read once without the lock for a cheap early rejection.
    std::atomic<std::int32_t> m_level{LOGLEVEL_DEBUG};
    std::u16string m_path;
    std::unique_ptr<CLogSyncObject> m_lock;
    // The line is assembled here, under the lock, and kept between lines so
    // that a line of a size seen before allocates nothing.
    std::unique_ptr<char16_t[]> m_line;
    std::size_t m_lineCapacity = 0;
    // Lines waiting for the lock, the newest first.
    std::atomic<PendingLine*> m_waiting{nullptr};
};

}  // namespace vzv
