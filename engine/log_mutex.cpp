#include "engine/log_mutex.h"


namespace vzv {

CLogSyncObject::CLogSyncObject(const char16_t* name) : m_name(name) {}

CLogSyncObject::~CLogSyncObject() {
    if (m_handle != nullptr) platform::CloseMutexObject(m_handle);
    m_handle = nullptr;
}

platform::WaitResult CLogSyncObject::Wait(std::uint32_t timeoutMs) noexcept {
    const platform::WaitResult result = platform::WaitForMutex(m_handle, timeoutMs);
    if (result == platform::WaitResult::Acquired || result == platform::WaitResult::Abandoned)
        Entered(result == platform::WaitResult::Abandoned);
    return result;
}

bool CLogSyncObject::Lock(std::uint32_t timeoutMs) noexcept {
    return Wait(timeoutMs) == platform::WaitResult::Acquired;
}

bool CLogSyncObject::Lock() noexcept { return Lock(platform::kInfinite); }

bool CLogSyncObject::TryLock() noexcept {
    const platform::WaitResult result = Wait(0);
    return result == platform::WaitResult::Acquired || result == platform::WaitResult::Abandoned;
}

void CLogSyncObject::Entered(bool abandoned) noexcept {
    const std::uint32_t me = platform::CurrentThreadId();
    // A thread that ended holding the lock left its count behind.
    if (abandoned || m_owner.load(std::memory_order_relaxed) != me) {
        m_owner.store(me, std::memory_order_relaxed);
        m_depth = 1;
    } else {
        ++m_depth;
    }
}

// Before the release: afterwards another thread may own the lock. A thread
// that does not own it changes nothing here (and its release fails).
void CLogSyncObject::Leaving() noexcept {
    if (m_owner.load(std::memory_order_relaxed) != platform::CurrentThreadId()) return;
    if (--m_depth == 0) m_owner.store(0, std::memory_order_relaxed);
}

CLogMutex::CLogMutex(bool initiallyOwned, const char16_t* name) : CLogSyncObject(name) {
    m_handle = platform::CreateMutexObject(initiallyOwned);
    if (m_handle == nullptr) throw "Out of mutex";
    if (initiallyOwned) Entered(false);
}

bool CLogMutex::Unlock() noexcept {
    Leaving();
    return platform::ReleaseMutexObject(m_handle);
}

}  // namespace vzv
