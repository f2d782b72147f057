// The writer's lock: a small abstract lock over an OS synchronisation object
// and its one implementation, a recursive mutex private to the process.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace vzv {

class CLogSyncObject {
public:
    virtual ~CLogSyncObject();
    CLogSyncObject(const CLogSyncObject&) = delete;
    CLogSyncObject& operator=(const CLogSyncObject&) = delete;

    // True only for a clean acquisition. An abandoned lock (its owner thread
    // ended holding it) gives false although the caller owns it now.
    virtual bool Lock(std::uint32_t timeoutMs) noexcept;
    virtual bool Lock() noexcept;
    virtual bool Unlock() noexcept = 0;
    // Takes the lock only if no other thread holds it; true when the caller
    // owns it now, an abandoned lock included.
    bool TryLock() noexcept;

protected:
    explicit CLogSyncObject(const char16_t* name);

    platform::MutexHandle m_handle = nullptr;
    std::u16string m_name;  // identifies the lock; never passed to the OS
};

class CLogMutex final : public CLogSyncObject {
public:
    // Throws the plain text "Out of mutex" when the OS object cannot be made.
    CLogMutex(bool initiallyOwned, const char16_t* name);
    // False when the calling thread does not own the lock.
    bool Unlock() noexcept override;
};

// Holds a CLogSyncObject for one scope; results are ignored as the writer
// proceeds in every case.
class CLogLockGuard {
public:
    explicit CLogLockGuard(CLogSyncObject& lock) noexcept : m_lock(lock) { m_lock.Lock(); }
    // For a lock the caller took already.
    CLogLockGuard(CLogSyncObject& lock, std::adopt_lock_t) noexcept : m_lock(lock) {}
    ~CLogLockGuard() { m_lock.Unlock(); }
    CLogLockGuard(const CLogLockGuard&) = delete;
    CLogLockGuard& operator=(const CLogLockGuard&) = delete;

private:
    CLogSyncObject& m_lock;
};

}  // namespace vzv
