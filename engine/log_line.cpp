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

char16_t* LinePrefix::Put(char16_t* out, int level, std::uint32_t threadId) noexcept {
    const platform::LocalTime t = platform::LocalTimeNow();
    const std::uint32_t key[] = {threadId, t.year, t.month, t.day, t.hour, t.minute, t.second};
    if (!std::equal(key, key + 7, m_key)) {
        char16_t* head = PutText(PutNumber(m_head, threadId, 5, u' '), u" | ");
        // "yy.mm.dd hh:mm:ss.", each field followed by its separator.
        for (int i = 0; i < 6; ++i) {
            head = PutNumber(head, key[i + 1] % 100u, 2);
            *head++ = u".. ::."[i];
        }
        m_headUnits = static_cast<std::size_t>(head - m_head);
        std::copy(key, key + 7, m_key);
    }
    out = std::copy_n(m_head, m_headUnits, out);
    if (m_tailUnits == 0 || level != m_level) {
        char16_t* tail = PutText(m_tail, u" |");
        if (level < 0) *tail++ = u'-';
        tail = PutNumber(tail, level < 0 ? 0u - static_cast<std::uint32_t>(level)
                                         : static_cast<std::uint32_t>(level), 1);
        m_tailUnits = static_cast<std::size_t>(PutText(tail, u"| ") - m_tail);
        m_level = level;
    }
    return std::copy_n(m_tail, m_tailUnits, PutNumber(out, t.millisecond, 3));
}

std::u16string FormatLinePrefix(int level) {
    char16_t buffer[kMaxPrefixUnits];
    return std::u16string(buffer, LinePrefix().Put(buffer, level, platform::CurrentThreadId()));
}

}  // namespace vzv
