// The printf walker on any format. Every argument slot holds a pointer to a
// text that reads as an empty or short string in either width (and, for %Z,
// as a counted string without a buffer), and the floating-point registers hold
// doubles, so any conversion reads something valid; formats with more
// conversions than there are arguments are skipped.
#include "fuzz_input.h"
#include "text/printf_walker.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

alignas(16) const wchar_t t[8] = {L'w', L'\u00e9'};

// Walks into count units of a larger buffer: the text must end within them
// and nothing beyond them may change.
template <class Ch, class Fmt>
std::basic_string<Ch> Walk(std::size_t (*walk)(Ch*, std::size_t, const Fmt*, va_list) noexcept,
                           std::size_t count, const Fmt* format, ...) {
    std::vector<Ch> out(count + 1, Ch(0x7F));
    va_list args;
    va_start(args, format);
    const std::size_t n = walk(out.data(), count, format, args);
    va_end(args);
    if (n >= count || out[n] != 0 || out[count] != Ch(0x7F)) std::abort();
    return std::basic_string<Ch>(out.data(), n);
}

#define VZV_ARGS                                                                                 \
    t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, \
        t, t, t, t, t, t, t, t, t, 1.5, -2.25, 3e300, 0.0, 1e-300, 7.0, 8.0, 9.0

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Each conversion takes at most four slots (two * and a long double).
    if (size == 0 || std::count(data + 1, data + size, '%') > 8) return 0;
    const std::size_t count = data[0] % 80 + 1;
    const std::string format(reinterpret_cast<const char*>(data + 1), size - 1);
    namespace walker = vzv::printf_walker;
    // Cut short, the text is the start of the whole one: of the format itself
    // where the check refuses it.
    const std::string narrow = Walk(&walker::WalkNarrow, count, format.c_str(), VZV_ARGS);
    const std::string whole = walker::IsValidFormat(format.c_str())
                                  ? Walk(&walker::WalkNarrow, 2048, format.c_str(), VZV_ARGS) : format;
    if (whole.compare(0, narrow.size(), narrow) != 0) std::abort();
    const std::u16string units = vzv::fuzz::Utf16(data + 1, size - 1);
    Walk(&walker::WalkWide, count, std::wstring(units.begin(), units.end()).c_str(), VZV_ARGS);
    return 0;
}
