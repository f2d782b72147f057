// The printf walker on any format. Every argument slot holds a pointer to a
// text that reads as an empty or short string in either width (and, for %Z,
// as a counted string without a buffer), and the floating-point registers hold
// doubles, so any conversion reads something valid; formats with more
// conversions than there are arguments are skipped. A format the check
// refuses must come out as its own text.
#include "fuzz_input.h"
#include "text/printf_walker.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

alignas(16) const wchar_t kText[8] = {L'w', L'\u00e9', 0, 0, 0, 0, 0, 0};
const wchar_t* const t = kText;

std::size_t Narrow(char* out, std::size_t count, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::size_t n = vzv::printf_walker::WalkNarrow(out, count, format, args);
    va_end(args);
    return n;
}

std::size_t Wide(char16_t* out, std::size_t count, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const std::size_t n = vzv::printf_walker::WalkWide(out, count, format, args);
    va_end(args);
    return n;
}

#define VZV_ARGS                                                                          \
    t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, t, \
        t, t, t, t, t, t, t, t, t, t, t, 1.5, -2.25, 3e300, 0.0, 1e-300, 7.0, 8.0, 9.0

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // Each conversion takes at most four slots (two * and a long double).
    if (std::count(data + 1, data + size, '%') > 8) return 0;
    const std::size_t count = data[0] % 80 + 1;
    const std::string format(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<char> narrow(count + 1, '\x7F');
    const std::size_t n = Narrow(narrow.data(), count, format.c_str(), VZV_ARGS);
    if (n >= count || narrow[n] != '\0' || narrow[count] != '\x7F') std::abort();
    if (!vzv::printf_walker::IsValidFormat(format.c_str()) && std::string(narrow.data(), n) != format.substr(0, n))
        std::abort();

    const std::u16string units = vzv::fuzz::Utf16(data + 1, size - 1);
    std::wstring wideFormat(units.begin(), units.end());
    std::vector<char16_t> wide(count + 1, u'\x7F');
    const std::size_t w = Wide(wide.data(), count, wideFormat.c_str(), VZV_ARGS);
    if (w >= count || wide[w] != u'\0' || wide[count] != u'\x7F') std::abort();
    vzv::printf_walker::IsValidFormat(wideFormat.c_str());
    return 0;
}
