#include "platform/platform.h"
#include "platform/windows/win32.h"

#include <chrono>

namespace vzv::platform {

LocalTime LocalTimeNow() noexcept {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::int64_t MonotonicNanoseconds() noexcept {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::uint32_t CurrentThreadId() noexcept { return ::GetCurrentThreadId(); }

void SpinPause() noexcept { ::YieldProcessor(); }

}  // namespace vzv::platform
