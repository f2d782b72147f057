#include "line_prefix.h"

namespace vzv::reader {

namespace {

// A cursor over the line; every step fails once one has failed.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    bool ok() const { return m_ok; }
    std::size_t pos() const { return m_pos; }

    void Literal(std::string_view expected) {
        if (m_ok && m_text.substr(m_pos, expected.size()) == expected)
            m_pos += expected.size();
        else
            m_ok = false;
    }
    // Between `min` and `max` digits; returns how many there were.
    std::uint64_t Number(std::size_t min, std::size_t max, std::size_t* count = nullptr) {
        std::uint64_t value = 0;
        std::size_t n = 0;
        while (m_ok && n < max && m_pos < m_text.size() && m_text[m_pos] >= '0' &&
               m_text[m_pos] <= '9') {
            value = value * 10 + static_cast<std::uint64_t>(m_text[m_pos++] - '0');
            ++n;
        }
        if (n < min) m_ok = false;
        if (count) *count = n;
        return value;
    }
    int Field(std::size_t width, int max) {
        const auto value = static_cast<int>(Number(width, width));
        if (value > max) m_ok = false;
        return value;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

}  // namespace

std::optional<LinePrefix> ParseLinePrefix(std::string_view line) {
    Scanner s(line);
    std::size_t spaces = 0;
    while (spaces < line.size() && line[spaces] == ' ') ++spaces;
    s.Literal(line.substr(0, spaces));
    std::size_t digits = 0;
    LinePrefix p;
    const std::uint64_t thread = s.Number(1, 10, &digits);
    // "%5u": right-aligned with spaces to five characters, never cut.
    if (thread > 0xFFFFFFFFu || spaces + digits < 5 || (spaces > 0 && spaces + digits != 5))
        return std::nullopt;
    p.thread = static_cast<std::uint32_t>(thread);
    s.Literal(" | ");
    p.time.year = 2000 + s.Field(2, 99);
    s.Literal(".");
    p.time.month = s.Field(2, 12);
    s.Literal(".");
    p.time.day = s.Field(2, 31);
    s.Literal(" ");
    p.time.hour = s.Field(2, 23);
    s.Literal(":");
    p.time.minute = s.Field(2, 59);
    s.Literal(":");
    p.time.second = s.Field(2, 59);
    s.Literal(".");
    p.time.millisecond = s.Field(3, 999);
    s.Literal(" |");
    const bool negative = s.ok() && s.pos() < line.size() && line[s.pos()] == '-';
    if (negative) s.Literal("-");
    const std::uint64_t level = s.Number(1, 10);
    s.Literal("| ");
    if (!s.ok() || p.time.month == 0 || p.time.day == 0 || level > 0x80000000u ||
        (!negative && level > 0x7FFFFFFFu))
        return std::nullopt;
    p.level =
        negative ? static_cast<int>(-static_cast<std::int64_t>(level)) : static_cast<int>(level);
    p.length = s.pos();
    return p;
}

}  // namespace vzv::reader
