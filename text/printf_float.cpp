// The digits of the floating-point conversions. std::to_chars rounds exactly,
// halfway cases to even, as the runtime does with standard rounding.
#include "text/printf_float.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vzv::printf_walker {
namespace {

constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 51;

std::uint64_t Bits(double x) noexcept {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

void Append(FloatText& t, const char* text, std::size_t n) noexcept {
    std::memcpy(t.body + t.length, text, n);
    t.length += n;
}

// Where the digits end: at the exponent, or at the end.
std::size_t MantissaEnd(const FloatText& t) noexcept {
    std::size_t i = 0;
    while (i < t.length && t.body[i] != 'e' && t.body[i] != 'p') ++i;
    return i;
}

void Insert(FloatText& t, std::size_t at, char c) noexcept {
    std::memmove(t.body + at + 1, t.body + at, t.length - at);
    t.body[at] = c;
    ++t.length;
}

// The runtime's names. With '#' and precision 0 it forces a point after the
// first character, which for a negative value comes before the name: that
// text then counts as digits, padded with zeros and with %a's "0x".
bool Special(const Directive& d, double x, int precision, FloatText& t) noexcept {
    const std::uint64_t fraction = Bits(x) & kFractionMask;
    const char* name = fraction == 0                           ? "inf"
                       : std::signbit(x) && fraction == kQuietBit ? "nan(ind)"
                       : (fraction & kQuietBit) != 0           ? "nan"
                                                               : "nan(snan)";
    Append(t, name, std::strlen(name));
    if (!d.alt || precision != 0) return true;
    Insert(t, std::signbit(x) ? 0 : 1, '.');
    return !std::signbit(x);
}

// %a: the 52 fraction bits as 13 hex digits after a leading 0 (zero and
// subnormals, which stay unnormalised) or 1; the exponent in decimal.
void Hex(double x, int precision, FloatText& t) noexcept {
    const std::uint64_t bits = Bits(x);
    const std::uint64_t fraction = bits & kFractionMask;
    const int field = static_cast<int>((bits >> 52) & 0x7FF);
    unsigned lead = field != 0 ? 1 : 0;
    const int exponent = field != 0 ? field - 1023 : fraction != 0 ? -1022 : 0;
    const int shown = std::min(precision, 13);
    const int dropped = 52 - 4 * shown;
    std::uint64_t kept = fraction >> dropped;
    if (dropped > 0) {
        const std::uint64_t rest = fraction & ((std::uint64_t{1} << dropped) - 1);
        const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
        const bool odd = ((shown == 0 ? lead : kept) & 1) != 0;
        if (rest > half || (rest == half && odd)) {
            ++kept;
            if ((kept >> (4 * shown)) != 0) ++lead, kept = 0;  // 0x1.f -> 0x2
        }
    }
    t.body[t.length++] = static_cast<char>('0' + lead);
    if (precision > 0) t.body[t.length++] = '.';
    char digits[16];
    const auto n = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, kept, 16).ptr - digits);
    for (std::size_t i = n; i < static_cast<std::size_t>(shown); ++i) t.body[t.length++] = '0';
    if (shown > 0) Append(t, digits, n);
    t.zeros = static_cast<std::size_t>(precision - shown);
    Append(t, exponent < 0 ? "p-" : "p+", 2);
    t.length = static_cast<std::size_t>(
        std::to_chars(t.body + t.length, t.body + sizeof t.body, exponent < 0 ? -exponent : exponent).ptr - t.body);
}

// %f with up to three decimals, exact and without the general digit
// generator: x * 10^p is m * 10^p / 2^shift, and m * 10^p stays below 2^63
// for p <= 3 and x < 2^53; the quotient is rounded halfway to even.
char* FixedDigits(char* out, double x, int precision) noexcept {
    static constexpr std::uint64_t kScale[] = {1, 10, 100, 1000};
    const std::uint64_t bits = Bits(x);
    const int field = static_cast<int>(bits >> 52);  // x is not negative
    const std::uint64_t m = (bits & kFractionMask) | (field != 0 ? std::uint64_t{1} << 52 : 0);
    const int shift = field != 0 ? 1075 - field : 1074;
    const std::uint64_t n = m * kScale[precision];
    std::uint64_t q = 0;  // a shift of 64 or more leaves n below half a unit
    if (shift == 0) {
        q = n;
    } else if (shift < 64) {
        q = n >> shift;
        const std::uint64_t rest = n & ((std::uint64_t{1} << shift) - 1), half = std::uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (q & 1) != 0)) ++q;
    }
    // The integer part, by a division by a constant, which a compiler turns
    // into a multiplication; then the decimals, behind a leading 1 that
    // keeps their zeros and that the point replaces.
    std::uint64_t whole = q;
    switch (precision) {
    case 1: whole = q / 10; break;
    case 2: whole = q / 100; break;
    case 3: whole = q / 1000; break;
    default: return std::to_chars(out, out + 16, q).ptr;
    }
    char* const point = std::to_chars(out, out + 16, whole).ptr;
    const auto decimals = static_cast<unsigned>(q - whole * kScale[precision] + kScale[precision]);
    char* const end = std::to_chars(point, point + 4, decimals).ptr;
    *point = '.';
    return end;
}

void Generate(double x, std::chars_format style, int precision, FloatText& t) noexcept {
    const auto end = std::to_chars(t.body, t.body + sizeof t.body, x, style, precision).ptr;
    t.length = static_cast<std::size_t>(end - t.body);
}

// %g: the style the value's exponent X (after rounding to P significant
// digits) selects: %e unless -4 <= X < P, %f with P - 1 - X decimals.
// Returns the decimals asked for beyond those generated.
std::size_t General(double x, int precision, FloatText& t) noexcept {
    const int decimals = precision - 1;
    Generate(x, std::chars_format::scientific, std::min(decimals, kMaxSignificant - 1), t);
    const std::size_t at = MantissaEnd(t);  // "e+XX" or "e-XX"
    int exponent = 0;
    std::from_chars(t.body + at + 2, t.body + t.length, exponent);
    if (t.body[at + 1] == '-') exponent = -exponent;
    if (exponent < -4 || exponent >= precision)
        return static_cast<std::size_t>(decimals - std::min(decimals, kMaxSignificant - 1));
    const long long fixed = static_cast<long long>(decimals) - exponent;
    Generate(x, std::chars_format::fixed, static_cast<int>(std::min<long long>(fixed, kMaxFraction)), t);
    return static_cast<std::size_t>(fixed - std::min<long long>(fixed, kMaxFraction));
}

// %g without '#' drops the zeros at the end of the digits, and a bare point.
void CropZeros(FloatText& t) noexcept {
    const std::size_t end = MantissaEnd(t);
    if (std::memchr(t.body, '.', end) == nullptr) return;
    std::size_t keep = end;
    while (t.body[keep - 1] == '0') --keep;
    if (t.body[keep - 1] == '.') --keep;
    std::memmove(t.body + keep, t.body + end, t.length - end);
    t.length -= end - keep;
}

}  // namespace

bool FitsFixed(double value, int precision) noexcept {
    return precision >= 0 && precision <= 3 && std::fabs(value) < 0x1p53;
}

char* PutFixed(char* out, double value, int precision) noexcept {
    if (std::signbit(value)) *out++ = '-';
    return FixedDigits(out, std::fabs(value), precision);
}

void FormatFloat(const Directive& d, double value, FloatText& t) noexcept {
    const char conv = d.conv;
    const bool hex = conv == 'a' || conv == 'A', general = conv == 'g' || conv == 'G';
    int precision = d.precision;
    if (precision < 0) precision = hex ? 13 : 6;
    else if (precision == 0 && general) precision = 1;

    if (std::signbit(value)) t.prefix[t.prefixLength++] = '-';
    else if (d.plus) t.prefix[t.prefixLength++] = '+';
    else if (d.space) t.prefix[t.prefixLength++] = ' ';
    const double magnitude = std::fabs(value);
    bool digits = true;
    if (!std::isfinite(value)) {
        digits = !Special(d, value, precision, t);
    } else if (hex) {
        Hex(magnitude, precision, t);
    } else if (general) {
        const std::size_t more = General(magnitude, precision, t);
        if (d.alt) t.zeros = more;
        else CropZeros(t);
    } else if ((conv == 'f' || conv == 'F') && FitsFixed(magnitude, precision)) {
        t.length = static_cast<std::size_t>(FixedDigits(t.body, magnitude, precision) - t.body);
    } else {
        const int limit = conv == 'f' || conv == 'F' ? kMaxFraction : kMaxSignificant - 1;
        Generate(magnitude, conv == 'f' || conv == 'F' ? std::chars_format::fixed : std::chars_format::scientific,
                 std::min(precision, limit), t);
        t.zeros = static_cast<std::size_t>(precision - std::min(precision, limit));
    }
    t.zerosAt = conv == 'f' || conv == 'F' ? t.length : MantissaEnd(t);  // %f has no exponent
    if (digits && d.alt && std::memchr(t.body, '.', t.zerosAt) == nullptr) Insert(t, t.zerosAt++, '.');
    if (conv == 'A' || conv == 'E' || conv == 'F' || conv == 'G')
        for (std::size_t i = 0; i < t.length; ++i)
            if (t.body[i] >= 'a' && t.body[i] <= 'z') t.body[i] = static_cast<char>(t.body[i] - 'a' + 'A');
    t.zeroPad = digits && d.zero;
    if (digits && hex) {
        t.prefix[t.prefixLength++] = '0';
        t.prefix[t.prefixLength++] = conv == 'a' ? 'x' : 'X';
    }
}

}  // namespace vzv::printf_walker
