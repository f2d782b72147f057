// On Windows the C runtime (msvcrt.dll) formats, with its own bounded
// formatters _vsnprintf_s and _vsnwprintf_s and _TRUNCATE. mingw's ISO names
// (vsnprintf, vswprintf) are not used: they follow the ISO %s rule.
//
// An invalid format makes these functions call the runtime's invalid-parameter
// handler, and no handler can be installed from here: msvcrt.dll has no
// thread-local one, and mingw's import library implements
// _set_invalid_parameter_handler as a private variable that msvcrt.dll never
// reads. So the runtime is never handed a format it could reject: the walker's
// check runs first and an invalid format gets the defined text without any
// call. Formats with the C99 sizes j, z and t, which msvcrt.dll does not know,
// are formatted by the walker. Should the runtime still refuse a format
// (EINVAL), the defined text is given all the same.
#include "text/printf_format.h"

#include "text/printf_walker.h"

#include <errno.h>
#include <stdio.h>
#include <wchar.h>

namespace vzv {
namespace {

// Logging leaves the caller's errno as it was.
class ErrnoKeeper {
public:
    ErrnoKeeper() noexcept : saved_(errno) { errno = 0; }
    ~ErrnoKeeper() { errno = saved_; }
    ErrnoKeeper(const ErrnoKeeper&) = delete;
    ErrnoKeeper& operator=(const ErrnoKeeper&) = delete;

private:
    int saved_;
};

// -1 from the runtime means cut at count - 1 (_TRUNCATE), or refused.
template <class Unit, class Ch>
std::size_t Finish(int written, Unit* out, std::size_t count, const Ch* format) noexcept {
    if (written >= 0) return static_cast<std::size_t>(written);
    if (errno == EINVAL) return printf_walker::CopyFormatText(out, count, format);
    return count - 1;
}

}  // namespace

std::size_t FormatNarrow(char* out, std::size_t count, const char* format,
                         std::va_list args) noexcept {
    if (out == nullptr || count == 0) return 0;
    switch (printf_walker::Classify(format)) {
    case printf_walker::FormatKind::Invalid: return printf_walker::CopyFormatText(out, count, format);
    case printf_walker::FormatKind::C99Sizes: return printf_walker::WalkNarrow(out, count, format, args);
    case printf_walker::FormatKind::Classic: break;
    }
    if (format == nullptr) {
        out[0] = 0;
        return 0;
    }
    ErrnoKeeper keeper;
    return Finish(_vsnprintf_s(out, count, _TRUNCATE, format, args), out, count, format);
}

std::size_t FormatWide(char16_t* out, std::size_t count, const wchar_t* format,
                       std::va_list args) noexcept {
    if (out == nullptr || count == 0) return 0;
    switch (printf_walker::Classify(format)) {
    case printf_walker::FormatKind::Invalid: return printf_walker::CopyFormatText(out, count, format);
    case printf_walker::FormatKind::C99Sizes: return printf_walker::WalkWide(out, count, format, args);
    case printf_walker::FormatKind::Classic: break;
    }
    if (format == nullptr) {
        out[0] = 0;
        return 0;
    }
    ErrnoKeeper keeper;
    // wchar_t is UTF-16 here, laid out as char16_t.
    auto* wide = reinterpret_cast<wchar_t*>(out);
    return Finish(_vsnwprintf_s(wide, count, _TRUNCATE, format, args), out, count, format);
}

}  // namespace vzv
