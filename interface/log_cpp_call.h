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
    static void StartIfTracing(LogCppCall& call, const char* format, std::va_list args);
    static void StartIfTracing(LogCppCall& call, const wchar_t* format, std::va_list args);
    // The same once the level has been checked.
    static void Start(LogCppCall& call, const char* format, std::va_list args);
    static void Start(LogCppCall& call, const wchar_t* format, std::va_list args);
    // Logs the end line of an armed `call`.
    static void End(LogCppCall& call) noexcept;
};

}  // namespace vzv
