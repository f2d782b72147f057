#include "platform/compiler.h"
#include "platform/platform.h"
#include "platform/windows/win32.h"

#include <cstdio>

namespace vzv::platform {

VZV_HOT LocalTime LocalTimeNow() noexcept {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

VZV_HOT std::uint32_t CurrentThreadId() noexcept { return ::GetCurrentThreadId(); }

void WriteStandardOutput(const char* text, std::size_t length) noexcept {
    std::fwrite(text, 1, length, stdout);
    std::fflush(stdout);
}

}  // namespace vzv::platform
