#include "platform/platform.h"
#include "platform/windows/win32.h"

namespace vzv::platform {

MutexHandle CreateMutexObject(bool initiallyOwned) noexcept {
    // Unnamed: the lock serialises the threads of this process only; other
    // processes are kept out by the log file's share mode.
    return ::CreateMutexW(nullptr, initiallyOwned ? TRUE : FALSE, nullptr);
}

WaitResult WaitForMutex(MutexHandle mutex, std::uint32_t timeoutMs) noexcept {
    switch (::WaitForSingleObject(mutex, timeoutMs)) {
        case WAIT_OBJECT_0: return WaitResult::Acquired;
        case WAIT_ABANDONED: return WaitResult::Abandoned;
        case WAIT_TIMEOUT: return WaitResult::Timeout;
        default: return WaitResult::Failed;
    }
}

bool ReleaseMutexObject(MutexHandle mutex) noexcept {
    return ::ReleaseMutex(mutex) != FALSE;
}

void CloseMutexObject(MutexHandle mutex) noexcept { ::CloseHandle(mutex); }

}  // namespace vzv::platform
