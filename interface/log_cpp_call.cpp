#include "interface/log_cpp_call.h"

#include "interface/log_facade.h"
#include "interface/wide_text.h"
#include "text/printf_format.h"

#include <chrono>
#include <new>

namespace vzv {

using Brivant::Service::VuzavovEro;

static_assert(sizeof(void*) != 8 || sizeof(VuzavovEro::LogCppCall) == 80,
              "the traced-scope object is allocated by clients: its size is fixed");

namespace {

constexpr std::size_t kTraceBuffer = 2048;
constexpr std::size_t kLongestLine = kTraceBuffer - 1;  // as Information keeps

// As VuzavovEro::GetLogLevel(), without the exported call: a scope traced
// while the level is lower should cost next to nothing.
inline bool Tracing() { return CLogFacade::Instance().GetLogLevel() >= VuzavovEro::LOGLEVEL_INFO; }

std::int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The line is logged as built: a '%' in the traced text is not a directive.
template <typename String>
void LogLine(String line) {
    if (line.size() > kLongestLine) line.resize(kLongestLine);
    CLogFacade::Instance().Information(line.c_str());
}

}  // namespace

LogCppCallAccess::LogCppCall* LogCppCallAccess::Construct(void* memory) noexcept {
    return ::new (memory) LogCppCall();
}

void LogCppCallAccess::StartNarrow(LogCppCall& call, const char* format, std::va_list args) {
    if (Tracing()) Start(call, format, args);
}

void LogCppCallAccess::StartWide(LogCppCall& call, const wchar_t* format, std::va_list args) {
    if (Tracing()) Start(call, format, args);
}

void LogCppCallAccess::Start(LogCppCall& call, const char* format, std::va_list args) {
    char buffer[kTraceBuffer];
    FormatNarrow(buffer, kTraceBuffer, format, args);
    call.m_sText = buffer;
    LogLine("--> " + call.m_sText + " -- start");
    call.m_bWide = false;
    call.m_tStart = SteadyNanoseconds();
}

void LogCppCallAccess::Start(LogCppCall& call, const wchar_t* format, std::va_list args) {
    char16_t buffer[kTraceBuffer];
    FormatWide(buffer, kTraceBuffer, format, args);
    call.m_wsText = ToWide(buffer);
    LogLine(u"--> " + std::u16string(buffer) + u" -- start");
    call.m_bWide = true;
    call.m_tStart = SteadyNanoseconds();
}

}  // namespace vzv

namespace Brivant {
namespace Service {

using vzv::LogCppCallAccess;

// Idle objects (level below Information when built) keep m_tStart at zero;
// the steady clock never reads zero once a start line has been logged.
VuzavovEro::LogCppCall::LogCppCall() noexcept : m_bWide(false), m_tStart(0) {}

// The level is checked first: an idle scope formats nothing.
#define VZV_TRACE_CONSTRUCTOR(FormatType)                                        \
    VuzavovEro::LogCppCall::LogCppCall(FormatType format, ...) : LogCppCall() { \
        if (!vzv::Tracing()) return;                                             \
        std::va_list args;                                                       \
        va_start(args, format);                                                  \
        LogCppCallAccess::Start(*this, format, args);                            \
        va_end(args);                                                            \
    }
VZV_TRACE_CONSTRUCTOR(char*)
VZV_TRACE_CONSTRUCTOR(const char*)
VZV_TRACE_CONSTRUCTOR(wchar_t*)
VZV_TRACE_CONSTRUCTOR(const wchar_t*)
#undef VZV_TRACE_CONSTRUCTOR

VuzavovEro::LogCppCall::~LogCppCall() {
    // An idle object has no start line to close, whatever the level is now.
    if (m_tStart != 0) LogCppCallAccess::End(*this);
}

}  // namespace Service
}  // namespace Brivant

namespace vzv {

void LogCppCallAccess::End(LogCppCall& call) noexcept {
    try {
        if (!Tracing()) return;
        // Integer division truncates toward zero: 1,999,999 ns is 1 ms.
        const std::int64_t elapsedMs = (SteadyNanoseconds() - call.m_tStart) / 1000000;
        const std::string number = std::to_string(elapsedMs);
        if (call.m_bWide) {
            LogLine(u"<-- " + ToUtf16(call.m_wsText.c_str()) + u" -- ended (" +
                    std::u16string(number.begin(), number.end()) + u"ms)");
        } else {
            LogLine("<-- " + call.m_sText + " -- ended (" + number + "ms)");
        }
    } catch (...) {
        // A scope's end must not throw; the end line is lost instead.
    }
}

}  // namespace vzv
