#include "engine/log_line.h"

#include "platform/platform.h"

#include <algorithm>
#include <charconv>

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
    // "yy.mm.dd hh:mm:ss.", each field followed by its separator.
    const unsigned fields[] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
    for (int i = 0; i < 6; ++i) {
        out = PutNumber(out, fields[i] % 100, 2);
        *out++ = u".. ::."[i];
    }
    out = PutText(PutNumber(out, t.millisecond, 3), u" |");
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
