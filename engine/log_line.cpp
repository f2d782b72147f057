#include "engine/log_line.h"

#include "platform/platform.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace vzv {

namespace {

// Decimal digits of `value`, right-aligned with `pad` to at least `width`;
// a longer number widens the field and is never cut.
char16_t* PutNumber(char16_t* out, std::uint32_t value, int width, char16_t pad = u'0') {
    char digits[10];
    const char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto count = end - digits; count < width; ++count) *out++ = pad;
    return std::copy(static_cast<const char*>(digits), end, out);
}

char16_t* PutText(char16_t* out, const char16_t* text) {
    while (*text != 0) *out++ = *text++;
    return out;
}

}  // namespace

char16_t* PutLinePrefix(char16_t* out, int level, std::uint32_t threadId) noexcept {
    const platform::LocalTime t = platform::LocalTimeNow();
    out = PutText(PutNumber(out, threadId, 5, u' '), u" | ");
    // "yy.mm.dd hh:mm:ss.mmm" from one number, yymmddhhmmssmmm, written
    // behind a leading 1 that keeps its zeros.
    std::uint64_t stamp = 1;
    for (const unsigned field : {t.year, t.month, t.day, t.hour, t.minute, t.second})
        stamp = stamp * 100 + field % 100;
    stamp = stamp * 1000 + t.millisecond % 1000;
    char digits[20];
    std::to_chars(digits, digits + sizeof digits, stamp);
    const char* digit = digits + 1;
    for (const char16_t separator : std::u16string_view(u".. ::.")) {
        *out++ = static_cast<char16_t>(*digit++);
        *out++ = static_cast<char16_t>(*digit++);
        *out++ = separator;
    }
    out = std::copy(digit, digit + 3, out);
    out = PutText(out, u" |");
    if (level < 0) *out++ = u'-';
    out = PutNumber(out, level < 0 ? 0u - static_cast<std::uint32_t>(level)
                                   : static_cast<std::uint32_t>(level), 1);
    return PutText(out, u"| ");
}

std::u16string FormatLinePrefix(int level) {
    char16_t buffer[kMaxPrefixUnits];
    return std::u16string(buffer, PutLinePrefix(buffer, level, platform::CurrentThreadId()));
}

}  // namespace vzv
