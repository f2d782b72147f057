#include "platform/compiler.h"
#include "platform/platform.h"
#include "platform/windows/win32.h"

#include <chrono>

namespace vzv::platform {

VZV_HOT LocalTime LocalTimeNow() noexcept {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

VZV_HOT std::int64_t MonotonicNanoseconds() noexcept {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

VZV_HOT std::uint32_t CurrentThreadId() noexcept { return ::GetCurrentThreadId(); }

}  // namespace vzv::platform
