// The walker for narrow formats: UTF-8 in, UTF-8 out.
#include "text/printf_walker_impl.h"

namespace vzv::printf_walker {

FormatKind Classify(const char* format) noexcept {
    return ClassifyText(format);
}

std::size_t CopyFormatText(char* out, std::size_t count, const char* format) noexcept {
    return CopyText(out, count, format);
}

VZV_HOT std::size_t WalkNarrow(char* out, std::size_t count, const char* format,
                               std::va_list args) noexcept {
    return Walk(out, count, format, args);
}

}  // namespace vzv::printf_walker
