#include "log_time.h"

#include "text/decimal.h"

#include <utility>

namespace vzv::reader {

std::uint64_t LogTime::Key() const {
    std::uint64_t key = static_cast<std::uint64_t>(year);
    for (const int field : {month, day, hour, minute, second}) key = key * 100 + field;
    return key * 1000 + millisecond;
}

std::string LogTime::Iso() const {
    std::string text;
    AppendDecimal(text, year, 4);
    const std::pair<char, int> fields[] = {{'-', month}, {'-', day},    {'T', hour},
                                           {':', minute}, {':', second}};
    for (const auto& [separator, value] : fields) {
        text += separator;
        AppendDecimal(text, value, 2);
    }
    text += '.';
    AppendDecimal(text, millisecond, 3);
    return text;
}

namespace {

// Exactly `width` digits at `pos`, advancing it.
bool TakeDigits(std::string_view text, std::size_t& pos, int width, int& value) {
    if (pos + width > text.size()) return false;
    value = 0;
    for (int i = 0; i < width; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    pos += width;
    return true;
}

bool TakeChar(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

}  // namespace

std::optional<std::uint64_t> ParseTimeArgument(std::string_view text, bool upTo) {
    LogTime t;
    std::size_t pos = 0;
    if (!TakeDigits(text, pos, 4, t.year) || !TakeChar(text, pos, '-') ||
        !TakeDigits(text, pos, 2, t.month) || !TakeChar(text, pos, '-') ||
        !TakeDigits(text, pos, 2, t.day))
        return std::nullopt;
    // How many fields were given after the date: hour+minute, second, millisecond.
    int given = 0;
    if (pos < text.size()) {
        if (!TakeChar(text, pos, ' ') && !TakeChar(text, pos, 'T')) return std::nullopt;
        if (!TakeDigits(text, pos, 2, t.hour) || !TakeChar(text, pos, ':') ||
            !TakeDigits(text, pos, 2, t.minute))
            return std::nullopt;
        given = 1;
        if (TakeChar(text, pos, ':')) {
            if (!TakeDigits(text, pos, 2, t.second)) return std::nullopt;
            given = 2;
            if (TakeChar(text, pos, '.')) {
                if (!TakeDigits(text, pos, 3, t.millisecond)) return std::nullopt;
                given = 3;
            }
        }
    }
    if (pos != text.size() || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 ||
        t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    if (upTo) {
        if (given < 1) t.hour = 23, t.minute = 59;
        if (given < 2) t.second = 59;
        if (given < 3) t.millisecond = 999;
    }
    return t.Key();
}

}  // namespace vzv::reader
