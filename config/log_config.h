// CLogConfig: what the client or the machine decides about logging (level,
// log path, expert mode), process-wide. The flags and the level are atomic;
// the path is guarded by a lock of its own. It sits above the engine and
// hands it the configured path; the engine never asks for it, so that lock is
// never taken while the writer's is held.
#pragma once

#include "engine/log_level.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace vzv {

class CLogConfig {
public:
    CLogConfig() = delete;

    // One-time check for the expert-mode marker; in expert mode it also sets
    // the level and places the log in the expert directory.
    static void Init();
    // Both setters are ignored in expert mode.
    static void SetLogPath(const char16_t* path);
    static void SetLogLevel(std::int32_t level);

    // Neither runs Init().
    static bool IsExpertMode() noexcept { return s_bExpertMode.load(std::memory_order_acquire); }
    // Verbose in expert mode, else the level the client last set.
    static std::int32_t GetLogLevel() noexcept {
        return IsExpertMode() ? std::int32_t{LOGLEVEL_VERBOSE}
                              : s_eLogLevel.load(std::memory_order_relaxed);
    }

    // The configured path. When it names no file, a fresh default path is
    // built first: the expanded default (or expert) directory and
    // "VuzavovEro_<local time>.log". A client's path is returned unexpanded.
    // The text stays valid until s_wsLogPath is next assigned. Does not run
    // Init().
    static const char16_t* GetLogPath();

    // Replaces %NAME% references by the variables' values, left to right,
    // rescanning from the start after each one so that references brought in
    // by a value are expanded too. An undefined or empty name expands to
    // nothing; a lone "%" stays. At most kMaxExpansions references are
    // replaced, so a value that names itself cannot expand without end.
    static void ExpandEnvVars(std::u16string& text);
    static constexpr int kMaxExpansions = 64;

    static std::atomic<bool> s_bInitialized;  // Init() has begun
    static std::atomic<bool> s_bExpertMode;   // set only by Init(); stays set
    static std::atomic<std::int32_t> s_eLogLevel;
    static std::u16string s_wsLogPath;  // the client's path, or the default once built
    static std::recursive_mutex s_pathMutex;  // guards s_wsLogPath
    static const std::u16string s_wsDefaultDir;
    static const std::u16string s_wsExpertDir;  // holds the marker and expert-mode logs
    static const std::u16string s_wsExpertMarker;

private:
    // `directory` (one of the two constants) with %PROGRAMDATA% expanded, or
    // replaced where that variable is missing. Meant for Init() too, so that
    // the marker is looked for where expert-mode logs go.
    static std::u16string ExpandDirectory(const std::u16string& directory);
};

}  // namespace vzv
