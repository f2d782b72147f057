#include "platform/platform.h"

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace vzv::platform {

LocalTime LocalTimeNow() noexcept {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return {static_cast<std::uint16_t>(local.tm_year + 1900),
            static_cast<std::uint16_t>(local.tm_mon + 1),
            static_cast<std::uint16_t>(local.tm_mday),
            static_cast<std::uint16_t>(local.tm_hour),
            static_cast<std::uint16_t>(local.tm_min),
            static_cast<std::uint16_t>(local.tm_sec),
            static_cast<std::uint16_t>(now.tv_nsec / 1000000)};
}

std::uint32_t CurrentThreadId() noexcept { return static_cast<std::uint32_t>(::gettid()); }

void WriteStandardOutput(const char* text, std::size_t length) noexcept {
    std::fwrite(text, 1, length, stdout);
    std::fflush(stdout);
}

}  // namespace vzv::platform
