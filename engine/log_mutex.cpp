#include "engine/log_mutex.h"

namespace vzv {

CLogSyncObject::CLogSyncObject(const char16_t* name) : m_name(name) {}

CLogSyncObject::~CLogSyncObject() {
    if (m_handle != nullptr) platform::CloseMutexObject(m_handle);
    m_handle = nullptr;
}

bool CLogSyncObject::Lock(std::uint32_t timeoutMs) noexcept {
    return platform::WaitForMutex(m_handle, timeoutMs) == platform::WaitResult::Acquired;
}

bool CLogSyncObject::Lock() noexcept { return Lock(platform::kInfinite); }

bool CLogSyncObject::TryLock() noexcept {
    const platform::WaitResult result = platform::WaitForMutex(m_handle, 0);
    return result == platform::WaitResult::Acquired || result == platform::WaitResult::Abandoned;
}

CLogMutex::CLogMutex(bool initiallyOwned, const char16_t* name) : CLogSyncObject(name) {
    m_handle = platform::CreateMutexObject(initiallyOwned);
    if (m_handle == nullptr) throw "Out of mutex";
}

bool CLogMutex::Unlock() noexcept { return platform::ReleaseMutexObject(m_handle); }

}  // namespace vzv
