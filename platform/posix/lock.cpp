#include "platform/platform.h"

#include <cerrno>
#include <ctime>
#include <memory>
#include <pthread.h>

namespace vzv::platform {

namespace {
pthread_mutex_t* Native(MutexHandle mutex) noexcept { return static_cast<pthread_mutex_t*>(mutex); }
}  // namespace

MutexHandle CreateMutexObject(bool initiallyOwned) noexcept {
    // Recursive like a Windows mutex object; robust so that an owner thread
    // that ends while holding it gives the next waiter the lock, as
    // WAIT_ABANDONED does.
    pthread_mutexattr_t attr;
    if (pthread_mutexattr_init(&attr) != 0) return nullptr;
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
    std::unique_ptr<pthread_mutex_t> mutex(new (std::nothrow) pthread_mutex_t);
    const bool created = mutex && pthread_mutex_init(mutex.get(), &attr) == 0;
    pthread_mutexattr_destroy(&attr);
    if (!created) return nullptr;
    if (initiallyOwned) pthread_mutex_lock(mutex.get());
    return mutex.release();
}

WaitResult WaitForMutex(MutexHandle mutex, std::uint32_t timeoutMs) noexcept {
    int rc;
    if (timeoutMs == kInfinite) {
        rc = pthread_mutex_lock(Native(mutex));
    } else if (timeoutMs == 0) {
        rc = pthread_mutex_trylock(Native(mutex));
    } else {
        timespec deadline{};
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        const long long nanoseconds = deadline.tv_nsec + timeoutMs * 1000000LL;
        deadline.tv_sec += static_cast<time_t>(nanoseconds / 1000000000);
        deadline.tv_nsec = static_cast<long>(nanoseconds % 1000000000);
        rc = pthread_mutex_clocklock(Native(mutex), CLOCK_MONOTONIC, &deadline);
    }
    switch (rc) {
        case 0: return WaitResult::Acquired;
        case EOWNERDEAD:
            pthread_mutex_consistent(Native(mutex));
            return WaitResult::Abandoned;
        case EBUSY:
        case ETIMEDOUT: return WaitResult::Timeout;
        default: return WaitResult::Failed;
    }
}

bool ReleaseMutexObject(MutexHandle mutex) noexcept {
    return pthread_mutex_unlock(Native(mutex)) == 0;
}

void CloseMutexObject(MutexHandle mutex) noexcept {
    pthread_mutex_destroy(Native(mutex));
    delete Native(mutex);
}

}  // namespace vzv::platform
