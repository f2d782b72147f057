#include "engine/log_line.h"

#include "platform/platform.h"

namespace vzv {

namespace {

// Decimal digits of `value`, right-aligned with `pad` to at least `width`;
// a longer number widens the field and is never cut.
char16_t* PutNumber(char16_t* out, std::uint32_t value, int width, char16_t pad = u'0') {
    char16_t digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = count; i < width; ++i) *out++ = pad;
    while (count > 0) *out++ = digits[--count];
    return out;
}

// The two digits of a date or time field.
char16_t* PutTwoDigits(char16_t* out, unsigned value) {
    out[0] = static_cast<char16_t>(u'0' + value / 10 % 10);
    out[1] = static_cast<char16_t>(u'0' + value % 10);
    return out + 2;
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
    const unsigned fields[] = {t.year % 100u, t.month, t.day, t.hour, t.minute, t.second};
    for (int i = 0; i < 6; ++i) {
        out = PutTwoDigits(out, fields[i]);
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
