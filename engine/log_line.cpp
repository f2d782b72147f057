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

// Fills `out` (at least 64 units) and returns the end.
char16_t* PutPrefix(char16_t* out, int level, std::uint32_t threadId,
                    const platform::LocalTime& t) {
    out = PutNumber(out, threadId, 5, u' ');
    *out++ = u' ';
    *out++ = u'|';
    *out++ = u' ';
    out = PutNumber(out, t.year % 100u, 2);
    *out++ = u'.';
    out = PutNumber(out, t.month, 2);
    *out++ = u'.';
    out = PutNumber(out, t.day, 2);
    *out++ = u' ';
    out = PutNumber(out, t.hour, 2);
    *out++ = u':';
    out = PutNumber(out, t.minute, 2);
    *out++ = u':';
    out = PutNumber(out, t.second, 2);
    *out++ = u'.';
    out = PutNumber(out, t.millisecond, 3);
    *out++ = u' ';
    *out++ = u'|';
    if (level < 0) *out++ = u'-';
    out = PutNumber(out, level < 0 ? 0u - static_cast<std::uint32_t>(level)
                                       : static_cast<std::uint32_t>(level), 1);
    *out++ = u'|';
    *out++ = u' ';
    return out;
}

}  // namespace

std::u16string FormatLinePrefix(int level, std::uint32_t threadId,
                                const platform::LocalTime& time) {
    char16_t buffer[64];
    return std::u16string(buffer, PutPrefix(buffer, level, threadId, time));
}

std::u16string FormatLinePrefix(int level) {
    return FormatLinePrefix(level, platform::CurrentThreadId(), platform::LocalTimeNow());
}

void BuildLine(std::u16string& line, int level, const char16_t* text) {
    char16_t prefix[64];
    line.assign(prefix,
                PutPrefix(prefix, level, platform::CurrentThreadId(), platform::LocalTimeNow()));
    line.append(text);
    line.append(kLineEnd);
}

}  // namespace vzv
