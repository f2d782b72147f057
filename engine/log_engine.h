// CLogEngine: the one object per process through which every message, level
// change and path change passes. It filters messages by the module-wide
// level, switches logging on at the first error, and owns the writer.
#pragma once

#include "engine/log_level.h"
#include "engine/log_writer.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace vzv {

// The level last given to SetLevel, unclamped; 0 means off.
extern std::atomic<std::int32_t> g_logLevel;
// The path last given to SetPath, or the start-up log it became. Guarded by
// the writer's lock.
extern std::u16string g_logPath;

class CLogEngine {
public:
    // Created on first use, thread-safely; a construction that throws (the
    // writer's lock could not be made) is retried by the next call. Shut down
    // at process exit or library unload.
    static CLogEngine& GetInstance();
    ~CLogEngine() { Shutdown(); }
    CLogEngine(const CLogEngine&) = delete;
    CLogEngine& operator=(const CLogEngine&) = delete;

    // Narrow texts are UTF-8, wide texts UTF-16. An error switches logging
    // on at level 1 when it is off.
    void LogError(std::string_view text);
    void LogError(std::u16string_view text);
    void LogInfo(std::string_view text) { LogNarrow(text, LOGLEVEL_INFO); }
    void LogInfo(std::u16string_view text) { LogWide(text, LOGLEVEL_INFO); }
    void LogDebug(std::string_view text) { LogNarrow(text, LOGLEVEL_DEBUG); }
    void LogDebug(std::u16string_view text) { LogWide(text, LOGLEVEL_DEBUG); }
    void LogVerbose(std::string_view text) { LogNarrow(text, LOGLEVEL_VERBOSE); }
    void LogVerbose(std::u16string_view text) { LogWide(text, LOGLEVEL_VERBOSE); }
    void LogNarrow(std::string_view text, std::int32_t level);
    // Whether a message of `level` would be dropped now; an error passes
    // while logging is off, as it switches logging on.
    static bool Drops(std::int32_t level) noexcept {
        const std::int32_t current = g_logLevel.load(std::memory_order_relaxed);
        if (current == LOGLEVEL_OFF) return level != LOGLEVEL_ERROR;
        return level > current;
    }
    void LogWide(std::u16string_view text, std::int32_t level);

    // Switching on from 0 places the log at the recorded path.
    void SetLevel(std::int32_t level);
    // Moves logging to `path`, the configured log path, keeping what was
    // logged so far in its start-up log; the writer then writes to `path`.
    // Records the path only while logging is off or when the path names no
    // file; switching on from 0 places the log then.
    void SetPath(const char16_t* path);
    // Closes the file and destroys the writer; every later call does nothing.
    void Shutdown();

    // For tests: null after Shutdown.
    CLogWriter* Writer() const noexcept { return m_writer.load(std::memory_order_acquire); }

private:
    CLogEngine();

    // `next` becomes the log; `configured` says it is the configured path
    // too. The writer follows the configured path given last: a deferred
    // placement may find the start-up log recorded instead.
    void Place(const std::u16string& next, bool configured);

    std::mutex m_mutex;  // taken by Shutdown only
    std::atomic<CLogWriter*> m_writer;
    // The path last given to SetPath. Guarded by the writer's lock.
    std::u16string m_configuredPath;
};

}  // namespace vzv
