// The walker for wide formats: wchar_t in, UTF-16 out.
#include "text/printf_walker_impl.h"

namespace vzv::printf_walker {

FormatKind Classify(const wchar_t* format) noexcept {
    return ClassifyText(format);
}

std::size_t CopyFormatText(char16_t* out, std::size_t count, const wchar_t* format) noexcept {
    return CopyText(out, count, format);
}

VZV_HOT std::size_t WalkWide(char16_t* out, std::size_t count, const wchar_t* format,
                             std::va_list args) noexcept {
    return Walk(out, count, format, args);
}

}  // namespace vzv::printf_walker
