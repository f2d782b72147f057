#include "json_record.h"

#include "record_printer.h"
#include "text/decimal.h"

#include <cstdio>
#include <ctime>

namespace vzv::reader {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

long long Seconds(const std::tm& t) {
    return DaysFromCivil(t.tm_year + 1900LL, static_cast<unsigned>(t.tm_mon + 1),
                         static_cast<unsigned>(t.tm_mday)) * 86400 +
           t.tm_hour * 3600LL + t.tm_min * 60LL + t.tm_sec;
}

// Local minus UTC in minutes, for a local wall-clock time; the offset in
// force then, so summer and winter times each get their own. The time zone
// changes at most on the quarter hour: one answer per quarter hour.
int OffsetMinutes(const LogTime& time) {
    static long long cachedKey = -1;
    static int cachedOffset = 0;
    const long long key = static_cast<long long>(time.Key() / 10000000) * 4 + time.minute / 15;
    if (key == cachedKey) return cachedOffset;
    std::tm local{};
    local.tm_year = time.year - 1900;
    local.tm_mon = time.month - 1;
    local.tm_mday = time.day;
    local.tm_hour = time.hour;
    local.tm_min = time.minute / 15 * 15;
    local.tm_isdst = -1;
    const std::time_t at = std::mktime(&local);
    const std::tm* utc = at == static_cast<std::time_t>(-1) ? nullptr : std::gmtime(&at);
    cachedOffset = utc ? static_cast<int>((Seconds(local) - Seconds(*utc)) / 60) : 0;
    cachedKey = key;
    return cachedOffset;
}

}  // namespace

std::string IsoWithOffset(const LogTime& time) {
    const int offset = OffsetMinutes(time);
    const int magnitude = offset < 0 ? -offset : offset;
    std::string iso = time.Iso();
    iso += offset < 0 ? '-' : '+';
    AppendDecimal(iso, magnitude / 60 % 100, 2);
    iso += ':';
    AppendDecimal(iso, magnitude % 60, 2);
    return iso;
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;  // the text is valid UTF-8 already
            }
        }
    }
    out += '"';
}

void AppendJsonRecord(std::string& out, const Record& r) {
    out.append("{\"@timestamp\":\"").append(IsoWithOffset(r.time));
    out.append("\",\"log.level\":\"").append(LevelName(r.level));
    out.append("\",\"log.level_number\":");
    AppendDecimal(out, r.level);
    out.append(",\"process.thread.id\":");
    AppendDecimal(out, r.thread);
    out.append(",\"log.file.path\":");
    AppendJsonString(out, r.source ? std::string_view(*r.source) : std::string_view());
    out.append(",\"message\":");
    AppendJsonString(out, r.Text());
    out.append("}\n");
}

}  // namespace vzv::reader
