#include "platform/platform.h"

#include <ctime>
#include <pthread.h>
#include <unistd.h>

namespace vzv::platform {

namespace {
// localtime_r costs more than the rest of a log line's formatting, and its
// result only changes with the second: each thread keeps its last one.
thread_local time_t t_second = -1;
thread_local tm t_local{};
// gettid is a system call each time; a thread's id is fixed, except in the
// child of fork, whose thread gets a new one.
thread_local std::uint32_t t_threadId = 0;
void ForgetThreadId() noexcept { t_threadId = 0; }
}  // namespace

LocalTime LocalTimeNow() noexcept {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec != t_second) {
        localtime_r(&now.tv_sec, &t_local);
        t_second = now.tv_sec;
    }
    const tm& local = t_local;
    return {static_cast<std::uint16_t>(local.tm_year + 1900),
            static_cast<std::uint16_t>(local.tm_mon + 1),
            static_cast<std::uint16_t>(local.tm_mday),
            static_cast<std::uint16_t>(local.tm_hour),
            static_cast<std::uint16_t>(local.tm_min),
            static_cast<std::uint16_t>(local.tm_sec),
            static_cast<std::uint16_t>(now.tv_nsec / 1000000)};
}

std::int64_t MonotonicNanoseconds() noexcept {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::uint32_t CurrentThreadId() noexcept {
    if (t_threadId == 0) {
        static const int registered = pthread_atfork(nullptr, nullptr, ForgetThreadId);
        (void)registered;
        t_threadId = static_cast<std::uint32_t>(::gettid());
    }
    return t_threadId;
}

void SpinPause() noexcept {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

}  // namespace vzv::platform
