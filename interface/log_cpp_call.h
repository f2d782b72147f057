// Internal access to LogCppCall: the constructors' work on a va_list, so
// that every entry point (the four variadic constructors and the entry points
// for clients of the Microsoft ABI) shares it.
#pragma once

#include "VuzavovEro.h"

#include <cstdarg>

namespace vzv {

struct LogCppCallAccess {
    using LogCppCall = Brivant::Service::VuzavovEro::LogCppCall;

    // Builds an idle object in `memory`.
    static LogCppCall* Construct(void* memory) noexcept;
    // Logs the start line and arms `call` when the level is Information or
    // more detailed.
    static void StartNarrow(LogCppCall& call, const char* format, std::va_list args);
    static void StartWide(LogCppCall& call, const wchar_t* format, std::va_list args);
};

}  // namespace vzv
