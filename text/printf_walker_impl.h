// The walker's implementation, included by its two translation units, one
// per output width (printf_walker_narrow.cpp, printf_walker_wide.cpp). Each
// gets its own copy of these functions, beside its own entry points: the code
// that formats one line then spans a few pages of the library rather than
// pages shared with the other width's code, and every page a line touches
// costs a TLB miss after its write call.
#pragma once

#include "text/printf_walker.h"

#include "platform/compiler.h"
#include "text/text_copy.h"
#include "text/text_scan.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vzv::printf_walker {
namespace {

enum class Size : unsigned char { None, hh, h, l, ll, w, I, I32, I64, j, z, t, L };

struct Spec {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    bool widthArg = false, precisionArg = false;
    int width = 0;
    int precision = -1;  // none
    Size size = Size::None;
    char conv = 0;
};

template <class Ch>
std::uint32_t Code(Ch c) noexcept {
    return static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Ch>>(c));
}

template <class Ch>
bool IsDigit(Ch c) noexcept {
    return c >= '0' && c <= '9';
}

// Saturates: a width beyond the buffer pads to its end either way.
template <class Ch>
int AddDigit(int value, Ch c) noexcept {
    const int digit = static_cast<int>(c - '0');
    return value > (INT_MAX - digit) / 10 ? INT_MAX : value * 10 + digit;
}

// The prefixes each conversion accepts. Stricter than some runtimes, so that
// the runtime is never handed a combination it might reject or misread.
inline VZV_HOT bool Fits(char conv, Size size) noexcept {
    switch (conv) {
    case 'd': case 'i': case 'o': case 'u': case 'x': case 'X':
        return size != Size::w && size != Size::L;
    case 'c': case 'C': case 's': case 'S':
        return size == Size::None || size == Size::h || size == Size::l || size == Size::w;
    case 'e': case 'E': case 'f': case 'g': case 'G': case 'a': case 'A':
        return size == Size::None || size == Size::l || size == Size::L;
    case 'p':
        return size == Size::None;
    default:  // includes n, which would write through an argument
        return false;
    }
}

// The letters that are whole conversions on their own, "%d" or "%s": most
// conversions in log formats, taken without the full parse.
inline bool IsBareConversion(std::uint32_t c) noexcept {
    switch (c) {
    case 'd': case 'i': case 'o': case 'u': case 'x': case 'X': case 'c': case 'C': case 's':
    case 'S': case 'e': case 'E': case 'f': case 'g': case 'G': case 'a': case 'A': case 'p':
        return true;
    default:
        return false;
    }
}

// Reads the conversion after a '%'; null when it is invalid.
template <class Ch>
VZV_HOT const Ch* ParseSpec(const Ch* p, Spec& s) noexcept {
    if (IsBareConversion(Code(*p))) {
        s.conv = static_cast<char>(*p);
        return p + 1;
    }
    const Ch* const start = p;
    for (;; ++p) {
        if (*p == '-') s.left = true;
        else if (*p == '+') s.plus = true;
        else if (*p == ' ') s.space = true;
        else if (*p == '#') s.alt = true;
        else if (*p == '0') s.zero = true;
        else break;
    }
    if (*p == '*') {
        s.widthArg = true;
        ++p;
    } else {
        while (IsDigit(*p)) s.width = AddDigit(s.width, *p++);
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            s.precisionArg = true;
            ++p;
        } else {
            s.precision = 0;
            while (IsDigit(*p)) s.precision = AddDigit(s.precision, *p++);
        }
    }
    switch (Code(*p)) {
    case 'h': s.size = p[1] == 'h' ? (++p, Size::hh) : Size::h; ++p; break;
    case 'l': s.size = p[1] == 'l' ? (++p, Size::ll) : Size::l; ++p; break;
    case 'w': s.size = Size::w; ++p; break;
    case 'j': s.size = Size::j; ++p; break;
    case 'z': s.size = Size::z; ++p; break;
    case 't': s.size = Size::t; ++p; break;
    case 'L': s.size = Size::L; ++p; break;
    case 'I':
        if (p[1] == '6' && p[2] == '4') {
            s.size = Size::I64;
            p += 3;
        } else if (p[1] == '3' && p[2] == '2') {
            s.size = Size::I32;
            p += 3;
        } else {
            s.size = Size::I;
            ++p;
        }
        break;
    default: break;
    }
    // "%%" only in its bare form: the runtime rejects "%5%".
    if (*p == '%') return p == start ? p + 1 : nullptr;
    if (*p == 0 || Code(*p) > 0x7F) return nullptr;
    s.conv = static_cast<char>(*p);
    return Fits(s.conv, s.size) ? p + 1 : nullptr;
}

// The next '%' or the terminating NUL.
template <class Ch>
const Ch* FindPercent(const Ch* p) noexcept {
    return FindUnitOrEnd(p, static_cast<Ch>('%'));
}

// What the check learns on its way through a format, so that the walk need
// not search and parse it again: each conversion as parsed, with where it
// starts and ends (the first kPlanned of them), and where the text ends.
template <class Ch>
struct Plan {
    static constexpr int kPlanned = 16;
    struct Conversion {
        const Ch* at;
        const Ch* next;
        Spec spec;
    };
    // Filled as the check goes: left unconstructed until then.
    union {
        Conversion conversions[kPlanned];
    };
    int count = 0;
    bool complete = true;  // every conversion is listed
    const Ch* end = nullptr;

    Plan() noexcept {}
    void Add(const Ch* at, const Ch* next, const Spec& spec) noexcept {
        if (count == kPlanned) {
            complete = false;
            return;
        }
        ::new (&conversions[count++]) Conversion{at, next, spec};
    }
};

template <class Ch>
VZV_HOT FormatKind ClassifyText(const Ch* format, Plan<Ch>* plan = nullptr) noexcept {
    FormatKind kind = FormatKind::Classic;
    if (format == nullptr) return kind;
    const Ch* p = FindPercent(format);
    for (; *p != 0; p = FindPercent(p)) {
        const Ch* const at = p;
        Spec s;
        p = ParseSpec(p + 1, s);
        if (p == nullptr) return FormatKind::Invalid;
        if (s.size == Size::j || s.size == Size::z || s.size == Size::t) kind = FormatKind::C99Sizes;
        if (plan != nullptr) plan->Add(at, p, s);
    }
    if (plan != nullptr) plan->end = p;
    return kind;
}

// ---- Output ---------------------------------------------------------------

constexpr bool kWide16 = sizeof(wchar_t) == 2;

#if defined(__SSE2__)
// Four UTF-32 units as UTF-16, unless one is beyond the BMP (nothing written
// then). Biased by 0x8000, BMP values fit the signed 16-bit pack.
inline bool NarrowFour(const wchar_t* in, char16_t* out) noexcept {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i above = _mm_srli_epi32(units, 16);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(above, _mm_setzero_si128())) != 0xFFFF) return false;
    const __m128i biased = _mm_sub_epi32(units, _mm_set1_epi32(0x8000));
    const __m128i packed = _mm_add_epi16(_mm_packs_epi32(biased, biased), _mm_set1_epi16(-0x8000));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    return true;
}
#endif

template <class Out>
class Sink {
public:
    Sink(Out* out, std::size_t count) noexcept : out_(out), limit_(count - 1) {}
    bool Full() const noexcept { return pos_ >= limit_; }
    void Put(Out unit) noexcept {
        if (pos_ < limit_) out_[pos_++] = unit;
    }
    void Put(const char* ascii, std::size_t n) noexcept {
        if constexpr (std::is_same_v<Out, char>) {
            PutUnits(ascii, n);
        } else {
            if (n > limit_ - pos_) n = limit_ - pos_;
            Out* const out = out_ + pos_;
            for (std::size_t i = 0; i < n; ++i)
                out[i] = static_cast<Out>(static_cast<unsigned char>(ascii[i]));
            pos_ += n;
        }
    }
    // Wide characters up to the first beyond the BMP, one unit each; returns
    // how many were taken (all, at the end of the buffer).
    std::size_t PutBmp(const wchar_t* text, std::size_t n) noexcept {
        const std::size_t room = limit_ - pos_;
        std::size_t i = 0;
#if defined(__SSE2__)
        if constexpr (!kWide16 && std::is_same_v<Out, char16_t>) {
            // Four units a step, the last step overlapping the one before:
            // words between conversions are mostly shorter than eight.
            const std::size_t m = n < room ? n : room;
            if (m >= 4) {
                while (i + 4 <= m && NarrowFour(text + i, out_ + pos_ + i)) i += 4;
                if (i + 4 > m && i < m && NarrowFour(text + m - 4, out_ + pos_ + m - 4)) i = m;
            }
        }
#endif
        for (; i < n && i < room && (kWide16 || Code(text[i]) <= 0xFFFF); ++i)
            out_[pos_ + i] = static_cast<Out>(text[i]);
        pos_ += i;
        return i < room ? i : n;
    }
    // Units of the output width, copied as they are.
    void PutUnits(const Out* units, std::size_t n) noexcept {
        if (n > limit_ - pos_) n = limit_ - pos_;
        CopyBytes(out_ + pos_, units, n * sizeof(Out));
        pos_ += n;
    }
    void Fill(char c, std::size_t n) noexcept {
        for (; n > 0 && pos_ < limit_; --n) out_[pos_++] = static_cast<Out>(c);
    }
    std::size_t Finish() noexcept {
        out_[pos_] = 0;
        return pos_;
    }

private:
    Out* out_;
    std::size_t limit_;
    std::size_t pos_ = 0;
};

// One character in code units of the output width.
template <class Out>
struct Units {
    Out u[4] = {};
    int n = 0;
};

constexpr char32_t kReplacement = 0xFFFD;

inline void Encode(char32_t cp, Units<char>& u) noexcept {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x80) {
        u.u[0] = static_cast<char>(cp);
        u.n = 1;
    } else if (cp < 0x800) {
        u.u[0] = static_cast<char>(0xC0 | (cp >> 6));
        u.u[1] = static_cast<char>(0x80 | (cp & 0x3F));
        u.n = 2;
    } else if (cp < 0x10000) {
        u.u[0] = static_cast<char>(0xE0 | (cp >> 12));
        u.u[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        u.u[2] = static_cast<char>(0x80 | (cp & 0x3F));
        u.n = 3;
    } else {
        u.u[0] = static_cast<char>(0xF0 | (cp >> 18));
        u.u[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        u.u[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        u.u[3] = static_cast<char>(0x80 | (cp & 0x3F));
        u.n = 4;
    }
}

// Lone surrogates pass as they are: UTF-16 text may carry them, as on Windows.
inline void Encode(char32_t cp, Units<char16_t>& u) noexcept {
    if (cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x10000) {
        u.u[0] = static_cast<char16_t>(cp);
        u.n = 1;
    } else {
        u.u[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        u.u[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        u.n = 2;
    }
}

// Lenient: a byte that starts no valid sequence stands for itself as U+00xx,
// which is also what the C locale makes of it on Windows.
inline char32_t DecodeUtf8(const char*& p) noexcept {
    const auto* s = reinterpret_cast<const unsigned char*>(p);
    const char32_t lead = s[0];
    int length = 1;
    char32_t cp = lead, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, least = 0x10000;
    }
    for (int i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80) {  // also stops at the NUL
            ++p;
            return lead;
        }
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    if (length > 1 && (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) {
        ++p;
        return lead;
    }
    p += length;
    return cp;
}

inline char32_t WideValue(std::uint32_t v) noexcept {
    return kWide16 ? (v & 0xFFFF) : v;
}

// The next character of a NUL-terminated text, in the output width; false at
// the end. Narrow to narrow and (on Windows) wide to wide copy units unchanged.
inline bool Next(const char*& p, Units<char>& u) noexcept {
    if (*p == 0) return false;
    u.u[0] = *p++;
    u.n = 1;
    return true;
}

inline bool Next(const char*& p, Units<char16_t>& u) noexcept {
    if (*p == 0) return false;
    Encode(DecodeUtf8(p), u);
    return true;
}

inline bool Next(const wchar_t*& p, Units<char>& u) noexcept {
    if (*p == 0) return false;
    char32_t cp = WideValue(Code(*p++));
    if (kWide16 && cp >= 0xD800 && cp <= 0xDBFF && Code(*p) >= 0xDC00 && Code(*p) <= 0xDFFF)
        cp = 0x10000 + ((cp - 0xD800) << 10) + (Code(*p++) - 0xDC00);
    Encode(cp, u);
    return true;
}

inline bool Next(const wchar_t*& p, Units<char16_t>& u) noexcept {
    if (*p == 0) return false;
    Encode(WideValue(Code(*p++)), u);
    return true;
}

// Up to `limit` units of `text`, never splitting a character; written when a
// sink is given. Returns the units counted.
template <class Out, class Src>
VZV_HOT std::size_t EmitText(Sink<Out>* sink, const Src* text, std::size_t limit) noexcept {
    std::size_t n = 0;
    if constexpr (std::is_same_v<Out, Src>) {
        if constexpr (std::is_same_v<Out, char>) {  // bytes pass unchanged
            if (limit == SIZE_MAX) {
                n = TextLength(text);
            } else {
                const void* const nul = std::memchr(text, 0, limit);
                n = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : limit;
            }
            if (sink != nullptr) sink->PutUnits(text, n);
            return n;
        }
    }
    Units<Out> u;
    while (n < limit && Next(text, u)) {
        const auto size = static_cast<std::size_t>(u.n);
        if (size > limit - n) break;
        if (sink != nullptr)
            for (std::size_t i = 0; i < size; ++i) sink->Put(u.u[i]);
        n += size;
    }
    return n;
}

// A field: [spaces] prefix [zeros] body [spaces], the runtime's layout. With
// zeroPad the width is filled with zeros between prefix and body.
template <class Out, class Body>
VZV_HOT void EmitField(Sink<Out>& sink, const Spec& s, const char* prefix,
                       std::size_t prefixLength, std::size_t zeros, bool zeroPad,
                       std::size_t bodyLength, Body body) noexcept {
    const std::size_t length = prefixLength + zeros + bodyLength;
    const auto width = static_cast<std::size_t>(s.width);
    const std::size_t pad = width > length ? width - length : 0;
    if (!s.left && !zeroPad) sink.Fill(' ', pad);
    sink.Put(prefix, prefixLength);
    sink.Fill('0', zeros + (!s.left && zeroPad ? pad : 0));
    body();
    if (s.left) sink.Fill(' ', pad);
}

// ---- Arguments --------------------------------------------------------------

struct Args {
    std::va_list ap;
};

inline VZV_HOT long long ReadSigned(Args& a, Size size) noexcept {
    switch (size) {
    case Size::hh:
    case Size::h: return static_cast<short>(va_arg(a.ap, int));  // msvcrt reads hh as h
    case Size::l: return va_arg(a.ap, long);
    case Size::ll: return va_arg(a.ap, long long);
    case Size::I64: return va_arg(a.ap, std::int64_t);
    case Size::I32: return va_arg(a.ap, std::int32_t);
    case Size::I: return va_arg(a.ap, std::intptr_t);
    case Size::j: return va_arg(a.ap, std::intmax_t);
    case Size::z: return va_arg(a.ap, std::make_signed_t<std::size_t>);
    case Size::t: return va_arg(a.ap, std::ptrdiff_t);
    default: return va_arg(a.ap, int);
    }
}

inline VZV_HOT unsigned long long ReadUnsigned(Args& a, Size size) noexcept {
    switch (size) {
    case Size::hh:
    case Size::h: return static_cast<unsigned short>(va_arg(a.ap, unsigned int));
    case Size::l: return va_arg(a.ap, unsigned long);
    case Size::ll: return va_arg(a.ap, unsigned long long);
    case Size::I64: return va_arg(a.ap, std::uint64_t);
    case Size::I32: return va_arg(a.ap, std::uint32_t);
    case Size::I: return va_arg(a.ap, std::uintptr_t);
    case Size::j: return va_arg(a.ap, std::uintmax_t);
    case Size::z: return va_arg(a.ap, std::size_t);
    case Size::t: return static_cast<std::make_unsigned_t<std::ptrdiff_t>>(va_arg(a.ap, std::ptrdiff_t));
    default: return va_arg(a.ap, unsigned int);
    }
}

// ---- Integers and pointers ----------------------------------------------------

// The decimal digits of `value` (none for zero), written backwards ending
// just before `end`; returns the first. Two digits a step from a table, by
// a constant divisor: no division instruction.
inline VZV_HOT char* PutDecimalDigits(char* end, unsigned long long value) noexcept {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    for (; value >= 10; value /= 100) {
        const char* const pair = kPairs + 2 * (value % 100);
        *--end = pair[1];
        *--end = pair[0];
    }
    // An odd digit count leaves one.
    if (value != 0) *--end = static_cast<char>('0' + value);
    return end;
}

template <class Out>
VZV_HOT void EmitDigits(Sink<Out>& sink, const Spec& s, unsigned long long magnitude,
                        unsigned base, bool upper, const char* prefix, std::size_t prefixLength,
                        std::size_t precision, bool zeroPad) noexcept {
    const char* const set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char digits[24];
    char* const end = digits + sizeof digits;
    char* first = end;
    if (base == 10) {
        first = PutDecimalDigits(end, magnitude);
    } else {
        for (; magnitude != 0; magnitude /= base) *--first = set[magnitude % base];
    }
    const auto n = static_cast<std::size_t>(end - first);
    std::size_t zeros = precision > n ? precision - n : 0;
    // '#' with o: the first digit is a zero, even for a zero with precision 0.
    if (s.alt && base == 8 && zeros == 0) zeros = 1;
    EmitField(sink, s, prefix, prefixLength, zeros, zeroPad, n, [&] { sink.Put(first, n); });
}

template <class Out>
VZV_HOT VZV_NOINLINE void FormatInteger(Sink<Out>& sink, const Spec& s, Args& a) noexcept {
    const bool isSigned = s.conv == 'd' || s.conv == 'i';
    unsigned long long magnitude;
    char prefix[2];
    std::size_t prefixLength = 0;
    if (isSigned) {
        const long long v = ReadSigned(a, s.size);
        magnitude = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        if (v < 0) prefix[prefixLength++] = '-';
        else if (s.plus) prefix[prefixLength++] = '+';
        else if (s.space) prefix[prefixLength++] = ' ';
    } else {
        magnitude = ReadUnsigned(a, s.size);
    }
    const unsigned base = s.conv == 'o' ? 8 : (s.conv == 'x' || s.conv == 'X') ? 16 : 10;
    if (s.alt && base == 16 && magnitude != 0) {
        prefix[0] = '0';
        prefix[1] = s.conv;
        prefixLength = 2;
    }
    // A precision turns the 0 flag off, as ISO C and msvcrt's own sources say.
    const std::size_t precision = s.precision < 0 ? 1 : static_cast<std::size_t>(s.precision);
    EmitDigits(sink, s, magnitude, base, s.conv == 'X', prefix, prefixLength, precision,
               s.zero && s.precision < 0);
}

// msvcrt: always every hex digit of the pointer, upper case, no 0x unless '#';
// its precision is forced, so the 0 flag and a given precision have no effect.
template <class Out>
VZV_NOINLINE void FormatPointer(Sink<Out>& sink, const Spec& s, Args& a) noexcept {
    const auto value = reinterpret_cast<std::uintptr_t>(va_arg(a.ap, void*));
    EmitDigits(sink, s, value, 16, true, "0X", s.alt ? 2 : 0, 2 * sizeof(void*), false);
}

// ---- Floating point -----------------------------------------------------------

template <class F>
F Away(F x) noexcept {
    return std::nextafter(x, x > 0 ? std::numeric_limits<F>::infinity()
                                   : -std::numeric_limits<F>::infinity());
}

// The C library rounds an exact halfway case to even, msvcrt away from zero;
// everywhere else they agree. Moving such a value one step away from zero makes
// the C library round it msvcrt's way without touching any printed digit.
//
// x = m * 2^(k-1) with m odd is a decimal tie only at the digit of weight
// 10^k, and for k > 0 only when 5^k divides m: the exact expansion then ends
// with a 5 at 10^(k-1).
template <class F>
F RoundTiesAway(F x, char conv, int precision, char* scratch, std::size_t scratchSize) noexcept {
    constexpr int kDigits = std::numeric_limits<F>::digits;
    if (kDigits > 64 || x == 0) return x;
    int exponent = 0;
    const F fraction = std::frexp(std::fabs(x), &exponent);
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, kDigits));
    int k = exponent - kDigits + 1;
    for (; (mantissa & 1) == 0; mantissa >>= 1) ++k;
    if (k > 27) return x;  // 5^k no longer fits the mantissa
    if (k > 0) {
        std::uint64_t power = 1;
        for (int i = 0; i < k; ++i) power *= 5;
        if (mantissa % power != 0) return x;
    }
    if (conv == 'f') return -precision == k ? Away(x) : x;

    // e and g keep a count of significant digits: the kept digit's weight
    // follows from the decimal exponent, read from a print one digit longer
    // (exact for a tie, whose last digit is then the 5).
    const int significant = (conv == 'g' || conv == 'G') ? (precision == 0 ? 1 : precision)
                                                         : precision + 1;
    const int n = std::is_same_v<F, long double>
                      ? std::snprintf(scratch, scratchSize, "%.*Le", significant,
                                      static_cast<long double>(std::fabs(x)))
                      : std::snprintf(scratch, scratchSize, "%.*e", significant,
                                      static_cast<double>(std::fabs(x)));
    if (n <= 0 || static_cast<std::size_t>(n) >= scratchSize) return x;
    const char* e = std::strchr(scratch, 'e');
    if (e == nullptr || e == scratch || e[-1] != '5') return x;
    const int decimalExponent = std::atoi(e + 1);
    return decimalExponent - significant + 1 == k ? Away(x) : x;
}

// The same for %a: the hex digits are the 52 fraction bits of a double.
inline double RoundHexTiesAway(double x, int precision) noexcept {
    if (precision < 0 || precision >= 13) return x;
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int dropped = 52 - 4 * precision;
    const std::uint64_t rest = bits & ((std::uint64_t{1} << dropped) - 1);
    return rest == std::uint64_t{1} << (dropped - 1) ? Away(x) : x;
}
inline long double RoundHexTiesAway(long double x, int) noexcept {
    return x;
}

inline bool IsExponentStyle(char conv) noexcept {
    return conv == 'e' || conv == 'E' || conv == 'g' || conv == 'G';
}

// Infinities and NaNs as msvcrt prints them: "1.#INF" and friends, treated
// as digits, so that a short precision rounds them ("%.2f" -> "1.#J") and a
// long one pads them with zeros; left-justified, those zeros turn into
// trailing spaces.
template <class Out, class F>
VZV_COLD void FormatSpecial(Sink<Out>& sink, const Spec& s, F x) noexcept {
    const bool negative = std::signbit(x);
    const char* name = "1#INF";
    if (std::isnan(x)) {
        const auto d = static_cast<double>(x);
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
        const std::uint64_t quiet = std::uint64_t{1} << 51;
        name = (fraction & quiet) == 0             ? "1#SNAN"
               : (negative && fraction == quiet) ? "1#IND"
                                                  : "1#QNAN";
    }
    // Larger than the longest name: the compiler cannot tell that the name
    // bounds the copies below, and would warn of reads past a tight array.
    char digits[24];
    std::strcpy(digits, name);
    const std::size_t length = std::strlen(digits);

    const bool hex = s.conv == 'a' || s.conv == 'A';
    const bool general = s.conv == 'g' || s.conv == 'G';
    const auto precision = static_cast<std::size_t>(s.precision < 0 ? (hex ? 13 : 6) : s.precision);
    std::size_t keep = general ? (precision == 0 ? 1 : precision) : precision + 1;
    std::size_t zeros = 0;
    if (keep < length) {
        if (digits[keep] >= '5') ++digits[keep - 1];
    } else {
        if (!general) zeros = keep - length;
        keep = length;
    }
    char prefix[3];
    std::size_t prefixLength = 0;
    if (negative) prefix[prefixLength++] = '-';
    else if (s.plus) prefix[prefixLength++] = '+';
    else if (s.space) prefix[prefixLength++] = ' ';
    if (hex) {
        prefix[prefixLength++] = '0';
        prefix[prefixLength++] = s.conv == 'a' ? 'x' : 'X';
    }
    const char* suffix = s.conv == 'e' ? "e+000" : s.conv == 'E' ? "E+000"
                         : s.conv == 'a' ? "p+0" : s.conv == 'A' ? "P+0" : "";
    const std::size_t suffixLength = std::strlen(suffix);
    const bool point = keep > 1 || zeros > 0;
    const std::size_t bodyLength = keep + (point ? 1 : 0) + zeros + suffixLength;
    EmitField(sink, s, prefix, prefixLength, 0, s.zero, bodyLength, [&] {
        sink.Put(digits, 1);
        if (point) sink.Put(".", 1);
        sink.Put(digits + 1, keep - 1);
        if (!s.left) sink.Fill('0', zeros);
        sink.Put(suffix, suffixLength);
        if (s.left) sink.Fill(' ', zeros);
    });
}

// %f of a double, exactly, without the C library, for the values log lines
// mostly carry: the magnitude times 10^precision rounded to an integer below
// 2^64. The value is m * 2^e, so that integer is m * 10^precision / 2^-e,
// exact in 128 bits; the remainder decides the rounding, a tie going away from
// zero. Writes the digits with the point into `out` (room for 22 + 1 + 17);
// false when the value is outside that range.
constexpr int kMaxFixedPrecision = 17;

inline VZV_HOT bool FixedDigits(double magnitude, int precision, bool point, char* out,
                                std::size_t& length) noexcept {
    if (precision < 0 || precision > kMaxFixedPrecision) return false;
    std::uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased != 0) mantissa |= std::uint64_t{1} << 52;
    const int exponent = (biased != 0 ? biased : 1) - 1075;

    static constexpr std::uint64_t kPowersOfTen[kMaxFixedPrecision + 1] = {
        1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000,
        10000000000, 100000000000, 1000000000000, 10000000000000, 100000000000000,
        1000000000000000, 10000000000000000, 100000000000000000};
    const std::uint64_t scale = kPowersOfTen[precision];
    using Wide = unsigned __int128;
    Wide scaled;
    if (exponent >= 0) {
        if (exponent > 11) return false;  // at least 2^63 before the point
        scaled = static_cast<Wide>(mantissa << exponent) * scale;
    } else if (-exponent >= 128) {
        scaled = 0;  // below 2^-75 even scaled: rounds to zero, never a tie
    } else {
        const int shift = -exponent;
        const Wide product = static_cast<Wide>(mantissa) * scale;
        scaled = product >> shift;
        const Wide rest = product - (scaled << shift);
        if (rest >= (static_cast<Wide>(1) << (shift - 1))) ++scaled;
    }
    if ((scaled >> 64) != 0) return false;

    char digits[24];
    char* const end = digits + sizeof digits;
    char* first = PutDecimalDigits(end, static_cast<std::uint64_t>(scaled));
    // At least one digit before the point.
    while (end - first < precision + 1) *--first = '0';
    const auto whole = static_cast<std::size_t>(end - first - precision);
    CopyBytes(out, first, whole);
    length = whole;
    if (precision > 0 || point) out[length++] = '.';
    CopyBytes(out + length, first + whole, static_cast<std::size_t>(precision));
    length += static_cast<std::size_t>(precision);
    return true;
}

// Finite values go to the C library piecewise: sign, '#', precision and the
// conversion; the width, the 0 flag and msvcrt's three-digit exponent are
// applied here. Out of line: its buffer would otherwise widen the stack frame
// of every %f.
template <class Out, class F>
VZV_NOINLINE void FormatFloatByLibrary(Sink<Out>& sink, const Spec& s, F x) noexcept {
    const char conv = s.conv;
    const bool hex = conv == 'a' || conv == 'A';
    constexpr bool kLong = std::is_same_v<F, long double>;
    // msvcrt prints every hex digit of a double; a long double gets its own
    // exact length from the C library.
    int precision = s.precision >= 0 ? s.precision : hex ? (kLong ? -1 : 13) : 6;
    // Longer precisions get their zeros appended here: glibc takes a heap
    // buffer for a precision near 1000. Exact for e and g (a double has at most
    // 767 significant digits); for f only values below 1e-255 have digits there.
    const int cap = conv == 'f' ? 900 : 800;
    const std::size_t extra = precision > cap ? static_cast<std::size_t>(precision - cap) : 0;
    if (precision > cap) precision = cap;

    char buffer[1500];
    x = hex ? RoundHexTiesAway(x, precision) : RoundTiesAway(x, conv, precision, buffer, sizeof buffer);

    char format[12];
    std::size_t f = 0;
    format[f++] = '%';
    if (s.plus) format[f++] = '+';
    if (s.space) format[f++] = ' ';
    if (s.alt) format[f++] = '#';
    if (precision >= 0) {
        format[f++] = '.';
        format[f++] = '*';
    }
    if (kLong) format[f++] = 'L';
    format[f++] = conv;
    format[f] = 0;
    const int n = precision >= 0 ? std::snprintf(buffer, sizeof buffer, format, precision, x)
                                 : std::snprintf(buffer, sizeof buffer, format, x);
    if (n <= 0) return;
    const std::size_t length = static_cast<std::size_t>(n) < sizeof buffer ? static_cast<std::size_t>(n)
                                                                           : sizeof buffer - 1;
    std::size_t prefixLength = 0;
    if (buffer[0] == '-' || buffer[0] == '+' || buffer[0] == ' ') ++prefixLength;
    if (hex && buffer[prefixLength] == '0' && (buffer[prefixLength + 1] == 'x' || buffer[prefixLength + 1] == 'X'))
        prefixLength += 2;

    const char* mark = std::strpbrk(buffer, hex ? "pP" : "eE");
    const std::size_t markAt = mark != nullptr ? static_cast<std::size_t>(mark - buffer) : length;
    std::size_t digitsAt = length, exponentZeros = 0;
    if (mark != nullptr && IsExponentStyle(conv) && markAt + 2 <= length) {
        digitsAt = markAt + 2;  // after the exponent's sign
        const std::size_t digits = length - digitsAt;
        exponentZeros = digits < 3 ? 3 - digits : 0;
    }
    const bool general = conv == 'g' || conv == 'G';
    const std::size_t tailZeros = general && !s.alt ? 0 : extra;
    const std::size_t bodyLength = length - prefixLength + tailZeros + exponentZeros;
    EmitField(sink, s, buffer, prefixLength, 0, s.zero, bodyLength, [&] {
        sink.Put(buffer + prefixLength, markAt - prefixLength);
        sink.Fill('0', tailZeros);
        sink.Put(buffer + markAt, digitsAt - markAt);
        sink.Fill('0', exponentZeros);
        sink.Put(buffer + digitsAt, length - digitsAt);
    });
}

template <class Out>
VZV_HOT VZV_NOINLINE void FormatDouble(Sink<Out>& sink, const Spec& s, double x) noexcept {
    if (!std::isfinite(x)) {
        FormatSpecial(sink, s, x);
        return;
    }
    char fixed[48];
    std::size_t length = 0;
    if (s.conv == 'f' &&
        FixedDigits(std::fabs(x), s.precision < 0 ? 6 : s.precision, s.alt, fixed, length)) {
        const char sign = std::signbit(x) ? '-' : s.plus ? '+' : s.space ? ' ' : 0;
        EmitField(sink, s, &sign, sign != 0 ? 1 : 0, 0, s.zero, length,
                  [&] { sink.Put(fixed, length); });
        return;
    }
    FormatFloatByLibrary(sink, s, x);
}

template <class Out>
VZV_NOINLINE void FormatLongDouble(Sink<Out>& sink, const Spec& s, long double x) noexcept {
    if (std::isfinite(x)) FormatFloatByLibrary(sink, s, x);
    else FormatSpecial(sink, s, x);
}

// ---- Characters and strings ---------------------------------------------------

inline bool TakesWide(const Spec& s, bool wideFormat) noexcept {
    if (s.size == Size::h) return false;
    if (s.size == Size::l || s.size == Size::w) return true;
    return wideFormat != (s.conv == 'S' || s.conv == 'C');
}

inline Units<char> CharUnits(char, bool wideArg, std::uint32_t v) noexcept {
    Units<char> u;
    if (wideArg) {
        Encode(WideValue(v), u);
    } else {
        u.u[0] = static_cast<char>(v);
        u.n = 1;
    }
    return u;
}

inline Units<char16_t> CharUnits(char16_t, bool wideArg, std::uint32_t v) noexcept {
    Units<char16_t> u;
    // A lone narrow byte is ASCII or, leniently, U+0080..U+00FF.
    Encode(wideArg ? WideValue(v) : (v & 0xFF), u);
    return u;
}

template <class Out>
VZV_NOINLINE void FormatChar(Sink<Out>& sink, const Spec& s, bool wide, std::uint32_t value) noexcept {
    const Units<Out> u = CharUnits(Out{}, wide, value);
    std::size_t n = static_cast<std::size_t>(u.n);
    if (s.precision >= 0 && n > static_cast<std::size_t>(s.precision)) n = 0;
    EmitField(sink, s, "", 0, 0, s.zero, n, [&] {
        for (std::size_t i = 0; i < n; ++i) sink.Put(u.u[i]);
    });
}

// Text from `p` to `end` in the output width: a piece of the format, or a
// whole string argument. Characters never span a '%' or the end.
template <class Out, class Ch>
VZV_HOT void PutText(Sink<Out>& sink, const Ch* p, const Ch* end) noexcept {
    if constexpr (std::is_same_v<Out, Ch>) {
        sink.PutUnits(p, static_cast<std::size_t>(end - p));
    } else if constexpr (std::is_same_v<Out, char16_t> && std::is_same_v<Ch, wchar_t>) {
        // One unit each, up to a character beyond the BMP (UTF-32 only).
        Units<Out> u;
        while (p < end && !sink.Full()) {
            p += sink.PutBmp(p, static_cast<std::size_t>(end - p));
            if (p < end && !sink.Full()) {
                Next(p, u);
                for (int i = 0; i < u.n; ++i) sink.Put(u.u[i]);
            }
        }
    } else {
        Units<Out> u;
        while (p < end && !sink.Full()) {
            if (Code(*p) < 0x80) {  // ASCII is the same unit in every width
                sink.Put(static_cast<Out>(*p++));
                continue;
            }
            Next(p, u);  // a sequence never spans a '%'
            for (int i = 0; i < u.n; ++i) sink.Put(u.u[i]);
        }
    }
}

template <class Out, class Src>
VZV_HOT VZV_NOINLINE void FormatText(Sink<Out>& sink, const Spec& s, const Src* text) noexcept {
    if (text == nullptr) {
        FormatText(sink, s, "(null)");
        return;
    }
    if (s.width == 0 && s.precision < 0) {  // the whole text, as it is
        PutText(sink, text, text + TextLength(text));
        return;
    }
    const std::size_t limit = s.precision < 0 ? SIZE_MAX : static_cast<std::size_t>(s.precision);
    const std::size_t length = s.width > 0 ? EmitText<Out>(nullptr, text, limit) : 0;
    EmitField(sink, s, "", 0, 0, s.zero, length, [&] { EmitText(&sink, text, limit); });
}

// ---- The walk -----------------------------------------------------------------

// "%d" and "%i" as they mostly come, without flags, width, precision or size:
// the digits straight into the sink.
template <class Out>
VZV_HOT void PutBareDecimal(Sink<Out>& sink, int value) noexcept {
    char digits[12];
    char* const end = digits + sizeof digits;
    const unsigned magnitude = value < 0 ? 0U - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    char* first = PutDecimalDigits(end, magnitude);
    if (first == end) *--first = '0';
    if (value < 0) *--first = '-';
    sink.Put(first, static_cast<std::size_t>(end - first));
}

inline bool IsBare(const Spec& s) noexcept {
    return !s.left && !s.plus && !s.space && !s.alt && !s.zero && !s.widthArg && !s.precisionArg &&
           s.width == 0 && s.precision < 0 && s.size == Size::None;
}

template <class Out>
VZV_HOT void Convert(Sink<Out>& sink, Spec& s, Args& a, bool wideFormat) noexcept {
    if ((s.conv == 'd' || s.conv == 'i') && IsBare(s)) {
        PutBareDecimal(sink, va_arg(a.ap, int));
        return;
    }
    if (s.widthArg) {
        const int width = va_arg(a.ap, int);
        if (width < 0) s.left = true;
        s.width = width == INT_MIN ? INT_MAX : width < 0 ? -width : width;
    }
    if (s.precisionArg) {
        const int precision = va_arg(a.ap, int);
        s.precision = precision < 0 ? -1 : precision;
    }
    switch (s.conv) {
    case 'd': case 'i': case 'o': case 'u': case 'x': case 'X':
        FormatInteger(sink, s, a);
        break;
    case 'p':
        FormatPointer(sink, s, a);
        break;
    case 'e': case 'E': case 'f': case 'g': case 'G': case 'a': case 'A':
        if (s.size == Size::L) FormatLongDouble(sink, s, va_arg(a.ap, long double));
        else FormatDouble(sink, s, va_arg(a.ap, double));
        break;
    case 'c': case 'C':
        // wchar_t reaches us promoted: as int on Windows, as wint_t elsewhere.
        FormatChar(sink, s, TakesWide(s, wideFormat), va_arg(a.ap, unsigned int));
        break;
    case 's': case 'S':
        if (TakesWide(s, wideFormat)) FormatText(sink, s, va_arg(a.ap, const wchar_t*));
        else FormatText(sink, s, va_arg(a.ap, const char*));
        break;
    default:  // '%'
        sink.Put(static_cast<Out>('%'));
        break;
    }
}

template <class Out, class Ch>
std::size_t CopyText(Out* out, std::size_t count, const Ch* format) noexcept {
    if (out == nullptr || count == 0) return 0;
    Sink<Out> sink(out, count);
    Units<Out> u;
    while (format != nullptr && !sink.Full() && Next(format, u))
        for (int i = 0; i < u.n; ++i) sink.Put(u.u[i]);
    return sink.Finish();
}

template <class Out, class Ch>
VZV_HOT std::size_t Walk(Out* out, std::size_t count, const Ch* format,
                         std::va_list args) noexcept {
    if (out == nullptr || count == 0) return 0;
    Plan<Ch> plan;
    if (ClassifyText(format, &plan) == FormatKind::Invalid) return CopyText(out, count, format);
    Sink<Out> sink(out, count);
    if (format == nullptr) return sink.Finish();
    constexpr bool kWideFormat = std::is_same_v<Ch, wchar_t>;
    Args a;
    va_copy(a.ap, args);
    const Ch* p = format;
    for (int i = 0; i < plan.count && !sink.Full(); ++i) {
        PutText(sink, p, plan.conversions[i].at);
        Spec s = plan.conversions[i].spec;
        Convert(sink, s, a, kWideFormat);
        p = plan.conversions[i].next;
    }
    // Beyond the planned conversions (valid: checked above), as they come.
    while (!plan.complete && *p != 0 && !sink.Full()) {
        const Ch* const at = FindPercent(p);
        PutText(sink, p, at);
        if (*at == 0) break;
        Spec s;
        p = ParseSpec(at + 1, s);
        Convert(sink, s, a, kWideFormat);
    }
    if (plan.complete) PutText(sink, p, plan.end);
    va_end(a.ap);
    return sink.Finish();
}

}  // namespace
}  // namespace vzv::printf_walker
