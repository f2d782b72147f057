#include "engine/log_line.h"

#include "platform/platform.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace vzv {

namespace {

// Decimal digits of `value`, right-aligned with `pad` to at least `width`;
// a longer number widens the field and is never cut.
char16_t* PutNumber(char16_t* out, std::uint32_t value, int width, char16_t pad = u'0') {
    char digits[10] = {};
    const char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto count = end - digits; count < width; ++count) *out++ = pad;
    for (const char* digit = digits; digit != end; ++digit) *out++ = static_cast<char16_t>(*digit);
    return out;
}

// "yy.mm.dd hh:mm:ss." of `t`.
char16_t* PutSecond(char16_t* out, const platform::LocalTime& t) noexcept {
    const char16_t* separator = u".. ::.";
    for (const unsigned field : {t.year, t.month, t.day, t.hour, t.minute, t.second}) {
        out = PutNumber(out, field % 100, 2);
        *out++ = *separator++;
    }
    return out;
}

bool SameSecond(const platform::LocalTime& a, const platform::LocalTime& b) noexcept {
    return a.second == b.second && a.minute == b.minute && a.hour == b.hour &&
           a.day == b.day && a.month == b.month && a.year == b.year;
}

// The start of this thread's last line: the thread's field, which the
// writer changes when it writes the line of a thread waiting for it, and the
// date and time, which change once a second, so that the lines within it
// copy their text.
struct PrefixText {
    std::uint32_t threadId = 0;
    platform::LocalTime time{};
    std::size_t threadLength = 0;  // "<thread> | "
    std::size_t length = 0;        // and "yy.mm.dd hh:mm:ss."
    char16_t text[kMaxPrefixUnits] = {};
};
thread_local PrefixText t_prefixText;

}  // namespace

char16_t* PutLinePrefix(char16_t* out, int level, std::uint32_t threadId,
                        const platform::LocalTime& t) noexcept {
    PrefixText& cached = t_prefixText;
    const bool newThread = cached.length == 0 || cached.threadId != threadId;
    if (newThread) {
        cached.threadLength = std::copy_n(u" | ", 3, PutNumber(cached.text, threadId, 5, u' ')) -
                              cached.text;
        cached.threadId = threadId;
    }
    if (newThread || !SameSecond(cached.time, t)) {
        cached.length = PutSecond(cached.text + cached.threadLength, t) - cached.text;
        cached.time = t;
    }
    // The whole buffer: a fixed size, copied in a few moves, where a copy of
    // the text's length calls the C library.
    std::memcpy(out, cached.text, sizeof cached.text);
    out += cached.length;
    // "mmm |<level>| ", written unit by unit: digits put in a buffer and
    // widened from there would be read back in wider pieces than they were
    // stored in, which waits for the stores.
    const unsigned millisecond = t.millisecond % 1000u;
    *out++ = static_cast<char16_t>(u'0' + millisecond / 100);
    *out++ = static_cast<char16_t>(u'0' + millisecond / 10 % 10);
    *out++ = static_cast<char16_t>(u'0' + millisecond % 10);
    *out++ = u' ';
    *out++ = u'|';
    if (level < 0) *out++ = u'-';
    out = PutNumber(out, level < 0 ? 0u - static_cast<std::uint32_t>(level) : static_cast<std::uint32_t>(level), 1);
    *out++ = u'|';
    *out++ = u' ';
    return out;
}

}  // namespace vzv
