// No C runtime here follows the Universal C Runtime's conventions: the
// library's own walker formats everything.
#include "text/printf_format.h"

#include "text/printf_walker.h"

namespace vzv {

std::size_t FormatNarrow(char* out, std::size_t count, const char* format,
                         std::va_list args) noexcept {
    return printf_walker::WalkNarrow(out, count, format, args);
}

std::size_t FormatWide(char16_t* out, std::size_t count, const wchar_t* format,
                       std::va_list args) noexcept {
    return printf_walker::WalkWide(out, count, format, args);
}

}  // namespace vzv
