// The writing side of CLogConfig: the one-time expert-mode check and the
// client's level and path, handed on to the engine.
#include "config/log_config.h"

#include "engine/log_engine.h"
#include "platform/platform.h"

namespace vzv {

void CLogConfig::Init() {
    // Marked first, so that calls made during the check return at once.
    if (s_bInitialized.exchange(true)) return;
    // Only the marker's existence counts (a folder of that name too).
    const std::u16string marker = ExpandDirectory(s_wsExpertDir) + s_wsExpertMarker;
    if (!platform::PathExists(marker.c_str())) return;
    // GetLogLevel() answers Verbose from here on.
    s_bExpertMode.store(true, std::memory_order_release);
    CLogEngine& engine = CLogEngine::GetInstance();
    engine.SetLevel(LOGLEVEL_VERBOSE);
    const std::u16string path = GetLogPath();  // under the expert folder now
    engine.SetPath(path.c_str());
}

void CLogConfig::SetLogPath(const char16_t* path) {
    Init();
    if (IsExpertMode()) return;
    // Held across the engine's change, so that concurrent setters leave the
    // configured path and the engine's in agreement.
    const std::lock_guard<std::recursive_mutex> lock(s_pathMutex);
    s_wsLogPath = path;
    const std::u16string configured = s_wsLogPath;
    CLogEngine::GetInstance().SetPath(configured.c_str());
}

void CLogConfig::SetLogLevel(std::int32_t level) {
    Init();
    if (IsExpertMode()) return;
    s_eLogLevel.store(level, std::memory_order_relaxed);
    CLogEngine::GetInstance().SetLevel(level);
}

}  // namespace vzv
