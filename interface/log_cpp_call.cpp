#include "interface/log_cpp_call.h"

#include "interface/log_facade.h"
#include "interface/wide_text.h"
#include "platform/platform.h"
#include "text/decimal.h"
#include "text/printf_format.h"

#include <algorithm>
#include <initializer_list>
#include <new>
#include <string_view>

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

// The parts joined on the stack, cut at the longest line Information keeps,
// and logged as they are: a '%' in the traced text is not a directive.
template <typename Ch>
void LogLine(std::initializer_list<std::basic_string_view<Ch>> parts) {
    Ch line[kTraceBuffer];
    std::size_t length = 0;
    for (const std::basic_string_view<Ch> part : parts) {
        const std::size_t n = std::min(part.size(), kLongestLine - length);
        std::copy_n(part.data(), n, line + length);
        length += n;
    }
    line[length] = 0;
    CLogFacade::Instance().Information(std::basic_string_view<Ch>(line, length));
}

}  // namespace

LogCppCallAccess::LogCppCall* LogCppCallAccess::Construct(void* memory) noexcept {
    return ::new (memory) LogCppCall();
}

void LogCppCallAccess::StartIfTracing(LogCppCall& call, const char* format, std::va_list args) {
    if (Tracing()) Start(call, format, args);
}

void LogCppCallAccess::StartIfTracing(LogCppCall& call, const wchar_t* format,
                                      std::va_list args) {
    if (Tracing()) Start(call, format, args);
}

void LogCppCallAccess::Start(LogCppCall& call, const char* format, std::va_list args) {
    char buffer[kTraceBuffer];
    const std::string_view text(buffer, FormatNarrow(buffer, kTraceBuffer, format, args));
    call.m_sText = text;
    LogLine<char>({"--> ", text, " -- start"});
    call.m_bWide = false;
    call.m_tStart = platform::MonotonicNanoseconds();
}

void LogCppCallAccess::Start(LogCppCall& call, const wchar_t* format, std::va_list args) {
    char16_t buffer[kTraceBuffer];
    const std::u16string_view text(buffer, FormatWide(buffer, kTraceBuffer, format, args));
    call.m_wsText = ToWide(text);
    LogLine<char16_t>({u"--> ", text, u" -- start"});
    call.m_bWide = true;
    call.m_tStart = platform::MonotonicNanoseconds();
}

}  // namespace vzv

namespace Brivant {
namespace Service {

using vzv::LogCppCallAccess;

// Idle objects (level below Information when built) keep m_tStart at zero;
// the monotonic clock never reads zero once a start line has been logged.
VuzavovEro::LogCppCall::LogCppCall() noexcept : m_bWide(false), m_tStart(0) {}

// The level is checked first: an idle scope formats nothing. The members
// are set here rather than by the idle constructor, an exported function
// that the shared library would call through its symbol table.
#define VZV_TRACE_CONSTRUCTOR(FormatType)                                        \
    VuzavovEro::LogCppCall::LogCppCall(FormatType format, ...)                   \
        : m_bWide(false), m_tStart(0) {                                          \
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
        const std::int64_t elapsedMs = (platform::MonotonicNanoseconds() - call.m_tStart) / 1000000;
        if (call.m_bWide) {
            std::u16string number;
            AppendDecimal(number, elapsedMs);
            LogLine<char16_t>({u"<-- ", ToUtf16(call.m_wsText.c_str()), u" -- ended (", number, u"ms)"});
        } else {
            std::string number;
            AppendDecimal(number, elapsedMs);
            LogLine<char>({"<-- ", call.m_sText, " -- ended (", number, "ms)"});
        }
    } catch (...) {
        // A scope's end must not throw; the end line is lost instead.
    }
}

}  // namespace vzv
