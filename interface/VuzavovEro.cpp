#include "VuzavovEro.h"

#include "engine/log_engine.h"
#include "interface/log_facade.h"
#include "interface/wide_text.h"
#include "text/printf_format.h"

#include <cstdarg>
#include <string_view>
#include <type_traits>

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

// The units a format of `Ch` is formatted into.
template <class Ch>
using TextOf = std::conditional_t<std::is_same_v<Ch, char>, char, char16_t>;

// Formats into a buffer of `Size` units and hands the text on.
template <std::size_t Size, class Ch>
void FormatAndLog(void (CLogFacade::*log)(std::basic_string_view<TextOf<Ch>>), const Ch* format,
                  std::va_list args) {
    TextOf<Ch> text[Size];
    std::size_t length;
    if constexpr (std::is_same_v<Ch, char>) length = vzv::FormatNarrow(text, Size, format, args);
    else length = vzv::FormatWide(text, Size, format, args);
    (CLogFacade::Instance().*log)({text, length});
}

}  // namespace

// One body for each method and format width: FormatAndLog picks the
// formatter by the format's type.
#define VZV_LOG_METHOD(Method, Level, Size, Format)               \
    void VuzavovEro::Method(Format format, ...) {                 \
        if (Drops(Level, format)) return;                         \
        std::va_list args;                                        \
        va_start(args, format);                                   \
        FormatAndLog<Size>(&CLogFacade::Method, format, args);    \
        va_end(args);                                             \
    }
#define VZV_LOG_METHODS(Method, Level, Size)                      \
    VZV_LOG_METHOD(Method, Level, Size, const char*)              \
    VZV_LOG_METHOD(Method, Level, Size, const wchar_t*)
VZV_LOG_METHODS(Error, vzv::LOGLEVEL_ERROR, kShortMessage)
VZV_LOG_METHODS(Information, vzv::LOGLEVEL_INFO, kShortMessage)
VZV_LOG_METHODS(Debug, vzv::LOGLEVEL_DEBUG, kLongMessage)
VZV_LOG_METHODS(Verbose, vzv::LOGLEVEL_VERBOSE, kLongMessage)
#undef VZV_LOG_METHODS
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
