#include "engine/log_engine.h"

#include "path/path_utils.h"
#include "placement/log_placement.h"

namespace vzv {

std::atomic<std::int32_t> g_logLevel{LOGLEVEL_OFF};
std::u16string g_logPath;

CLogEngine& CLogEngine::GetInstance() {
    static CLogEngine engine;
    return engine;
}

CLogEngine::CLogEngine() : m_writer(new CLogWriter()) {}

void CLogEngine::LogError(std::string_view text) {
    if (g_logLevel.load(std::memory_order_relaxed) == LOGLEVEL_OFF) SetLevel(LOGLEVEL_ERROR);
    LogNarrow(text, LOGLEVEL_ERROR);
}

void CLogEngine::LogError(std::u16string_view text) {
    if (g_logLevel.load(std::memory_order_relaxed) == LOGLEVEL_OFF) SetLevel(LOGLEVEL_ERROR);
    LogWide(text, LOGLEVEL_ERROR);
}

namespace {
// Off, or less severe than the current level (a negative level drops all).
bool Filtered(std::int32_t level) noexcept {
    const std::int32_t current = g_logLevel.load(std::memory_order_relaxed);
    return current == LOGLEVEL_OFF || level > current;
}
}  // namespace

void CLogEngine::LogNarrow(std::string_view text, std::int32_t level) {
    CLogWriter* writer = Writer();
    if (writer == nullptr || Filtered(level)) return;
    writer->WriteNarrow(level, text);
}

void CLogEngine::LogWide(std::u16string_view text, std::int32_t level) {
    CLogWriter* writer = Writer();
    if (writer == nullptr || Filtered(level)) return;
    writer->Write(level, text);
}

void CLogEngine::SetLevel(std::int32_t level) {
    CLogWriter* writer = Writer();
    if (writer == nullptr) return;
    writer->SetLevel(level);
    const std::int32_t previous = g_logLevel.load(std::memory_order_relaxed);
    if (previous == level) return;
    bool place = false;
    std::u16string recorded;
    if (previous == LOGLEVEL_OFF) {
        CLogLockGuard guard(writer->SyncObject());
        place = !writer->IsOpen();
        if (place) recorded = g_logPath;
    }
    g_logLevel.store(level, std::memory_order_relaxed);
    // Logging that was off takes up the path recorded meanwhile.
    if (place) Place(recorded, false);
}

void CLogEngine::SetPath(const char16_t* path) { Place(path, true); }

void CLogEngine::Place(const std::u16string& next, bool configured) {
    CLogWriter* writer = Writer();
    if (writer == nullptr) return;
    const bool places = g_logLevel.load(std::memory_order_relaxed) != LOGLEVEL_OFF &&
                        !GetFileBaseName(next).empty();

    // The whole change is one step for other threads: no line can reopen the
    // old file between its close and the new path.
    CLogLockGuard guard(writer->SyncObject());
    const std::u16string previous = g_logPath;
    g_logPath = next;
    if (configured) m_configuredPath = next;
    if (!places) return;
    // The writer opens existing files only, so the new file is made here.
    CreateLogFile(next);
    writer->Close();
    g_logPath = MoveToStartupLog(previous, next);
    writer->SetPath(m_configuredPath.c_str());
}

void CLogEngine::Shutdown() {
    std::lock_guard<std::mutex> lock(m_mutex);
    CLogWriter* writer = m_writer.exchange(nullptr, std::memory_order_acq_rel);
    if (writer == nullptr) return;
    {
        // Waits for a line in flight on another thread.
        CLogLockGuard guard(writer->SyncObject());
        writer->Close();
    }
    delete writer;
}

}  // namespace vzv
