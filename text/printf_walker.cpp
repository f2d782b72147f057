// The walk through a format: literal text, and each directive formatted by
// its kind.
#include "text/printf_walker.h"

#include "text/printf_directive.h"
#include "text/printf_float.h"
#include "text/printf_integer.h"
#include "text/printf_output.h"
#include "text/printf_text.h"

#include <climits>
#include <string>
#include <type_traits>

namespace vzv::printf_walker {
namespace {

// Takes the '*' arguments: a negative width left-justifies, a negative
// precision is none; digits after the '*' still win.
void ResolveStars(Directive& d, Args& a) noexcept {
    if (d.widthArg) {
        const int width = va_arg(a.ap, int);
        if (width < 0) d.left = true;
        if (d.width < 0) d.width = width == INT_MIN ? INT_MAX : width < 0 ? -width : width;
    }
    if (d.precisionArg) {
        const int precision = va_arg(a.ap, int);
        if (d.precision < 0) d.precision = precision < 0 ? -1 : precision;
    }
}

template <class Out>
void Convert(Sink<Out>& sink, Directive& d, Args& a, bool wideFormat) noexcept {
    ResolveStars(d, a);
    switch (d.conv) {
    case 'd': case 'i': case 'o': case 'u': case 'x': case 'X':
        FormatInteger(sink, d, a);
        break;
    case 'p':
        FormatPointer(sink, d, a);
        break;
    case 'c': case 'C':
        // wchar_t arrives promoted: as int on Windows, as wint_t elsewhere.
        FormatChar(sink, d, TakesWide(d, wideFormat), va_arg(a.ap, unsigned int));
        break;
    case 's': case 'S':
        if (TakesWide(d, wideFormat)) FormatText(sink, d, va_arg(a.ap, const wchar_t*));
        else FormatText(sink, d, va_arg(a.ap, const char*));
        break;
    case 'Z':
        FormatCounted(sink, d, TakesWide(d, wideFormat), va_arg(a.ap, const CountedString*));
        break;
    case '%':
        sink.Put(static_cast<Out>('%'));
        break;
    default:  // floating point; L is the caller's long double, printed as a double
        EmitFloat(sink, d, d.size == Size::L ? static_cast<double>(va_arg(a.ap, long double))
                                             : va_arg(a.ap, double));
        break;
    }
}

// The directives most formats are made of, %d %i %u %x %s and %.<digit>f
// alone, formatted without the general parse; returns what follows the
// directive, or null for any other.
template <class Out, class Ch>
const Ch* ConvertPlain(Sink<Out>& sink, const Ch* p, Args& a) noexcept {
    switch (Code(*p)) {
    case 'd': case 'i': PutNumber<10>(sink, va_arg(a.ap, int)); break;
    case 'u': PutNumber<10>(sink, va_arg(a.ap, unsigned int)); break;
    case 'x': PutNumber<16>(sink, va_arg(a.ap, unsigned int)); break;
    case 's': PutWhole(sink, va_arg(a.ap, const Ch*)); break;  // the format's own width
    case '.': {
        if (!IsDigit(p[1]) || p[2] != 'f') return nullptr;
        const int precision = p[1] - '0';
        const double value = va_arg(a.ap, double);
        if (FitsFixed(value, precision)) {
            sink.template PutAscii<kFixedMost>([=](char* at) { return PutFixed(at, value, precision); });
        } else {
            Directive d;
            d.conv = 'f';
            d.precision = precision;
            EmitFloat(sink, d, value);
        }
        return p + 3;
    }
    default:
        return nullptr;
    }
    return p + 1;
}

// One pass: the format is checked while it is walked, and a refused
// directive anywhere, even past the cut, gives the format text instead.
template <class Out, class Ch>
std::size_t Walk(Out* out, std::size_t count, const Ch* format, std::va_list args) noexcept {
    if (out == nullptr || count == 0) return 0;
    Sink<Out> sink(out, count);
    if (format == nullptr) return sink.Finish();
    Args a{args};
    const Ch* end = nullptr;  // narrow runs are taken within the length
    if constexpr (std::is_same_v<Ch, char>) end = format + std::char_traits<char>::length(format);
    for (const Ch* p = format; *p != 0;) {
        if (*p != '%') {
            if (sink.Full()) while (*p != 0 && *p != '%') ++p;
            else if constexpr (std::is_same_v<Ch, char>) PutRun(sink, p, end);
            else PutRun(sink, p);
            continue;
        }
        if (const Ch* next = sink.Full() ? nullptr : ConvertPlain(sink, p + 1, a)) {
            p = next;
            continue;
        }
        Directive d;
        p = ParseDirective(p + 1, d);
        if (p == nullptr) return CopyFormatText(out, count, format);
        if (!sink.Full()) Convert(sink, d, a, std::is_same_v<Ch, wchar_t>);
    }
    return sink.Finish();
}

}  // namespace

std::size_t WalkNarrow(char* out, std::size_t count, const char* format, std::va_list args) noexcept {
    return Walk(out, count, format, args);
}

std::size_t WalkWide(char16_t* out, std::size_t count, const wchar_t* format, std::va_list args) noexcept {
    return Walk(out, count, format, args);
}

}  // namespace vzv::printf_walker
