// The format check, shared by both platforms, and the text of a refused
// format.
#include "text/printf_directive.h"
#include "text/printf_text.h"
#include "text/printf_walker.h"

namespace vzv::printf_walker {
namespace {

template <class Ch>
bool IsValid(const Ch* p) noexcept {
    for (; p != nullptr && *p != 0;) {
        Directive d;
        if (*p++ == '%' && (p = ParseDirective(p, d)) == nullptr) return false;
    }
    return true;
}

template <class Out, class Ch>
std::size_t Copy(Out* out, std::size_t count, const Ch* format) noexcept {
    if (out == nullptr || count == 0) return 0;
    Sink<Out> sink(out, count);
    while (format != nullptr && *format != 0 && !sink.Full()) PutLiteral(sink, format);
    return sink.Finish();
}

}  // namespace

bool IsValidFormat(const char* format) noexcept {
    return IsValid(format);
}

bool IsValidFormat(const wchar_t* format) noexcept {
    return IsValid(format);
}

std::size_t CopyFormatText(char* out, std::size_t count, const char* format) noexcept {
    return Copy(out, count, format);
}

std::size_t CopyFormatText(char16_t* out, std::size_t count, const wchar_t* format) noexcept {
    return Copy(out, count, format);
}

}  // namespace vzv::printf_walker
