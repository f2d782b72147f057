#include "platform/platform.h"
#include "platform/windows/win32.h"

#include <chrono>
#include <cstdio>

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

void WriteStandardOutput(const char* text, std::size_t length) noexcept {
    std::fwrite(text, 1, length, stdout);
    std::fflush(stdout);
}

}  // namespace vzv::platform
