#include "engine/log_line.h"

#include "platform/platform.h"

#include <algorithm>

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

char16_t* PutThread(char16_t* out, std::uint32_t threadId) {
    out = PutNumber(out, threadId, 5, u' ');
    *out++ = u' ';
    *out++ = u'|';
    *out++ = u' ';
    return out;
}

// "yy.mm.dd hh:mm:ss"
char16_t* PutSecond(char16_t* out, const platform::LocalTime& t) {
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
    return out;
}

// ".mmm |<level>| "
char16_t* PutRest(char16_t* out, int level, const platform::LocalTime& t) {
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

// Fills `out` (at least kMaxPrefixUnits) and returns the end.
char16_t* PutPrefix(char16_t* out, int level, std::uint32_t threadId,
                    const platform::LocalTime& t) {
    return PutRest(PutSecond(PutThread(out, threadId), t), level, t);
}

bool SameSecond(const platform::LocalTime& a, const platform::LocalTime& b) noexcept {
    return a.second == b.second && a.minute == b.minute && a.hour == b.hour && a.day == b.day &&
           a.month == b.month && a.year == b.year;
}

}  // namespace

// Once a second at most, apart from thread changes.
void CLinePrefix::Remember(std::uint32_t threadId, const platform::LocalTime& now) noexcept {
    m_length = static_cast<std::size_t>(PutSecond(PutThread(m_text, threadId), now) - m_text);
    m_threadId = threadId;
    m_time = now;
    m_valid = true;
}

char16_t* CLinePrefix::Put(char16_t* out, int level, std::uint32_t threadId) noexcept {
    const platform::LocalTime now = platform::LocalTimeNow();
    if (!m_valid || threadId != m_threadId || !SameSecond(now, m_time)) Remember(threadId, now);
    out = std::copy_n(m_text, m_length, out);
    return PutRest(out, level, now);
}

std::u16string FormatLinePrefix(int level) {
    char16_t buffer[kMaxPrefixUnits];
    return std::u16string(
        buffer, PutPrefix(buffer, level, platform::CurrentThreadId(), platform::LocalTimeNow()));
}

}  // namespace vzv
