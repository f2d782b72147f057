#include "VuzavovEro.h"

#include "engine/log_engine.h"
#include "interface/log_facade.h"
#include "interface/wide_text.h"
#include "platform/compiler.h"
#include "text/printf_format.h"

#include <cstdarg>

namespace Brivant {
namespace Service {

using vzv::CLogEngine;
using vzv::CLogFacade;

namespace {

constexpr std::size_t kShortMessage = 2048;  // Error, Information
constexpr std::size_t kLongMessage = 16384;  // Debug, Verbose

// The facade exists (the library has started) before the level is asked, so
// expert mode is in force; a message the engine would drop costs no
// formatting, and a null format logs nothing.
bool Drops(std::int32_t level, const void* format) {
    CLogFacade::Instance();
    return format == nullptr || CLogEngine::Drops(level);
}

}  // namespace

// Error and Information format their message (2048 characters at most) into
// a buffer on the stack of the entry point itself, taken only once the call
// is known to log: one frame fewer waits below the line's write call, and a
// dropped call never sets up (or, on Windows, probes) the buffer.
#define VZV_LOG_METHOD(Method, Level)                                         \
    VZV_HOT void VuzavovEro::Method(const char* format, ...) {                \
        if (Drops(Level, format)) return;                                     \
        auto* const text = static_cast<char*>(                                \
            VZV_STACK_BUFFER(kShortMessage));                                 \
        std::va_list args;                                                    \
        va_start(args, format);                                               \
        vzv::FormatNarrow(text, kShortMessage, format, args);                 \
        va_end(args);                                                         \
        CLogFacade::Instance().Method(text);                                  \
    }                                                                         \
    VZV_HOT void VuzavovEro::Method(const wchar_t* format, ...) {             \
        if (Drops(Level, format)) return;                                     \
        auto* const text = static_cast<char16_t*>(                            \
            VZV_STACK_BUFFER(kShortMessage * sizeof(char16_t)));              \
        std::va_list args;                                                    \
        va_start(args, format);                                               \
        vzv::FormatWide(text, kShortMessage, format, args);                   \
        va_end(args);                                                         \
        CLogFacade::Instance().Method(text);                                  \
    }
VZV_LOG_METHOD(Error, vzv::LOGLEVEL_ERROR)
VZV_LOG_METHOD(Information, vzv::LOGLEVEL_INFO)
#undef VZV_LOG_METHOD

// Debug and Verbose, mostly left in code to be dropped, keep their buffers
// (16384 characters) in a function of their own: a dropped call then saves
// no more registers than its level check needs.
namespace {
VZV_HOT VZV_NOINLINE void FormatAndLog(void (CLogFacade::*log)(const char*),
                                       const char* format, std::va_list args) {
    char text[kLongMessage];
    vzv::FormatNarrow(text, kLongMessage, format, args);
    (CLogFacade::Instance().*log)(text);
}

VZV_HOT VZV_NOINLINE void FormatAndLog(void (CLogFacade::*log)(const char16_t*),
                                       const wchar_t* format, std::va_list args) {
    char16_t text[kLongMessage];
    vzv::FormatWide(text, kLongMessage, format, args);
    (CLogFacade::Instance().*log)(text);
}
}  // namespace

#define VZV_LOG_METHOD(Method, Level)                                         \
    VZV_HOT void VuzavovEro::Method(const char* format, ...) {                \
        if (Drops(Level, format)) return;                                     \
        std::va_list args;                                                    \
        va_start(args, format);                                               \
        FormatAndLog(&CLogFacade::Method, format, args);                      \
        va_end(args);                                                         \
    }                                                                         \
    VZV_HOT void VuzavovEro::Method(const wchar_t* format, ...) {             \
        if (Drops(Level, format)) return;                                     \
        std::va_list args;                                                    \
        va_start(args, format);                                               \
        FormatAndLog(&CLogFacade::Method, format, args);                      \
        va_end(args);                                                         \
    }
VZV_LOG_METHOD(Debug, vzv::LOGLEVEL_DEBUG)
VZV_LOG_METHOD(Verbose, vzv::LOGLEVEL_VERBOSE)
#undef VZV_LOG_METHOD

VuzavovEro::eLOGLEVEL VuzavovEro::GetLogLevel() {
    return static_cast<eLOGLEVEL>(CLogFacade::Instance().GetLogLevel());
}

void VuzavovEro::SetLogLevel(eLOGLEVEL level) { CLogFacade::Instance().SetLogLevel(level); }

const wchar_t* VuzavovEro::GetLogPath() {
    return vzv::PublishPath(CLogFacade::Instance().GetLogPath());
}

void VuzavovEro::SetLogPath(const wchar_t* path) {
    CLogFacade& facade = CLogFacade::Instance();
    if (path != nullptr) facade.SetLogPath(vzv::ToUtf16(path).c_str());
}

VuzavovEro& VuzavovEro::operator=(const VuzavovEro&) { return *this; }
VuzavovEro& VuzavovEro::operator=(VuzavovEro&&) { return *this; }

}  // namespace Service
}  // namespace Brivant
