// CLogEngine::SetPath: the engine's path change lives with the placement code
// it is made of.
#include "placement/log_placement.h"

#include "config/log_config.h"
#include "engine/log_engine.h"
#include "placement/path_utils.h"
#include "platform/platform.h"

namespace vzv {

std::u16string StartupLogName(const std::u16string& path) {
    const auto at = path.find(u".log");
    if (at == std::u16string::npos) return path;
    return path.substr(0, at) + u".startup.log";
}

void CLogEngine::SetPath(const char16_t* path) {
    CLogWriter* writer = Writer();
    if (writer == nullptr) return;
    const std::u16string next(path);
    const bool places = g_logLevel.load(std::memory_order_relaxed) != LOGLEVEL_OFF &&
                        !GetFileBaseName(next).empty();
    // Asked before the writer's lock is taken: the configuration has its own
    // lock and is never entered while the writer's is held.
    const std::u16string configured = places ? CLogConfig::GetLogPath() : u"";

    // The whole change is one step for other threads: no line can reopen the
    // old file between its close and the new path.
    CLogLockGuard guard(writer->SyncObject());
    const std::u16string previous = g_logPath;
    g_logPath = next;
    if (!places) return;

    // The writer opens existing files only, so the new file is made here.
    if (!platform::PathExists(next.c_str()) && EnsurePathDirectories(next.c_str()))
        platform::CreateEmptyFile(next.c_str());
    writer->Close();

    // Another spelling of the same file is no move at all. Only a plain file
    // is moved: a link planted in its place is neither read nor removed.
    if (platform::IsPlainFile(previous.c_str()) &&
        !platform::IsSameFile(previous.c_str(), next.c_str())) {
        const std::u16string startup = StartupLogName(next);
        if (platform::IsSameFile(previous.c_str(), startup.c_str())) {
            g_logPath = startup;  // already in place
        } else if (platform::CopyFileContents(previous.c_str(), startup.c_str())) {
            platform::RemoveFile(previous.c_str());
            g_logPath = startup;
        } else {
            // Nothing is lost: the previous file stays and is moved by the
            // next change.
            g_logPath = previous;
        }
    }
    writer->SetPath(configured.c_str());
}

}  // namespace vzv
