#include "text/printf_format.h"
#include "text/printf_walker.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <list>
#include <random>
#include <string>
#include <vector>

namespace vzv {
namespace {

using NarrowFn = std::size_t (*)(char*, std::size_t, const char*, std::va_list) noexcept;
using WideFn = std::size_t (*)(char16_t*, std::size_t, const wchar_t*, std::va_list) noexcept;

// Cross-width text in the table is ASCII: on Windows the runtime converts
// through the C locale, elsewhere through UTF-8.
std::wstring Widen(const char* ascii) {
    return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}

// Non-ASCII units show as \uXXXX, so that a mismatch stays readable.
std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

// Formats into count units of a larger buffer: the text is terminated and
// nothing beyond count is touched.
std::string CallNarrow(NarrowFn fn, std::size_t count, const char* format, ...) {
    std::vector<char> buffer(count + 4, '#');
    std::va_list args;
    va_start(args, format);
    const std::size_t n = fn(buffer.data(), count, format, args);
    va_end(args);
    EXPECT_EQ(buffer[count], '#');
    if (count == 0) return n == 0 ? "" : "<written>";
    EXPECT_LT(n, count);
    EXPECT_EQ(buffer[n], '\0');
    return std::string(buffer.data(), n);
}

std::u16string CallWide(WideFn fn, std::size_t count, const wchar_t* format, ...) {
    std::vector<char16_t> buffer(count + 4, u'#');
    std::va_list args;
    va_start(args, format);
    const std::size_t n = fn(buffer.data(), count, format, args);
    va_end(args);
    EXPECT_EQ(buffer[count], u'#');
    if (count == 0) return n == 0 ? u"" : u"<written>";
    EXPECT_LT(n, count);
    EXPECT_EQ(buffer[n], u'\0');
    return std::u16string(buffer.data(), n);
}

// String and character arguments: of the format's own width, of the other
// width, or of a fixed width whatever the format.
struct Own { const char* text; };
struct Other { const char* text; };
struct NStr { const char* text; };
struct WStr { const char* text; };
struct OwnChar { char c; };
struct OtherChar { char c; };

// Runs a table row as a narrow call: own = char, other = wchar_t.
struct NarrowCall {
    NarrowFn fn;
    template <class... A>
    std::string operator()(const char* format, A... a) const {
        std::list<std::wstring> keep;
        return CallNarrow(fn, 512, format, Adapt(a, keep)...);
    }
    static const char* Adapt(Own s, std::list<std::wstring>&) { return s.text; }
    static const char* Adapt(NStr s, std::list<std::wstring>&) { return s.text; }
    static const wchar_t* Adapt(Other s, std::list<std::wstring>& keep) { return Wide(s.text, keep); }
    static const wchar_t* Adapt(WStr s, std::list<std::wstring>& keep) { return Wide(s.text, keep); }
    static int Adapt(OwnChar c, std::list<std::wstring>&) { return c.c; }
    static wchar_t Adapt(OtherChar c, std::list<std::wstring>&) { return static_cast<wchar_t>(c.c); }
    template <class T>
    static T Adapt(T v, std::list<std::wstring>&) { return v; }
    static const wchar_t* Wide(const char* text, std::list<std::wstring>& keep) {
        if (text == nullptr) return nullptr;
        keep.push_back(Widen(text));
        return keep.back().c_str();
    }
};

// The same row as a wide call: own = wchar_t, other = char.
struct WideCall {
    WideFn fn;
    template <class... A>
    std::string operator()(const char* format, A... a) const {
        std::list<std::wstring> keep;
        const std::wstring wide = Widen(format);
        return Narrow(CallWide(fn, 512, wide.c_str(), Adapt(a, keep)...));
    }
    static const wchar_t* Adapt(Own s, std::list<std::wstring>& keep) { return NarrowCall::Wide(s.text, keep); }
    static const wchar_t* Adapt(WStr s, std::list<std::wstring>& keep) { return NarrowCall::Wide(s.text, keep); }
    static const char* Adapt(Other s, std::list<std::wstring>&) { return s.text; }
    static const char* Adapt(NStr s, std::list<std::wstring>&) { return s.text; }
    static wchar_t Adapt(OwnChar c, std::list<std::wstring>&) { return static_cast<wchar_t>(c.c); }
    static int Adapt(OtherChar c, std::list<std::wstring>&) { return c.c; }
    template <class T>
    static T Adapt(T v, std::list<std::wstring>&) { return v; }
};

double Inf() { return std::numeric_limits<double>::infinity(); }
double QNan() { return std::numeric_limits<double>::quiet_NaN(); }
double Ind() { return -std::numeric_limits<double>::quiet_NaN(); }  // msvcrt's "indefinite"
void* const kPtr = reinterpret_cast<void*>(std::uintptr_t{0x1234});

struct Row {
    const char* expected;
    bool valid;
    std::string (*narrow)(const NarrowCall&);
    std::string (*wide)(const WideCall&);
};
#define ROW(expected, ...) \
    { expected, true, [](const NarrowCall& f) { return f(__VA_ARGS__); }, [](const WideCall& f) { return f(__VA_ARGS__); } }
// An invalid format gives its own text, whatever the arguments.
#define BAD(format, ...) \
    { format, false, [](const NarrowCall& f) { return f(format, ##__VA_ARGS__); }, \
      [](const WideCall& f) { return f(format, ##__VA_ARGS__); } }

// One table for every implementation: the walker natively, the C runtime under
// wine, and under wine the walker in the same process.
const Row kRows[] = {
    // Integers: flags, width, precision.
    ROW("42|   42|42   |00042", "%d|%5d|%-5d|%05d", 42, 42, 42, 42),
    ROW("+1  2 -3 -0003| 0003|42    |", "%+d % d %d %+05d|% 05d|%-06d|", 1, 2, -3, -3, 3, 42),
    ROW("4294967295 -7 5 5 5", "%u %i %+u % x %+x", -1, -7, 5, 5, 5),
    ROW("010 0xff 0XFF 0 0x0000ff 0xff    |", "%#o %#x %#X %#x %#08x %#-8x|", 8, 255, 255, 0, 255, 255),
    ROW("00042 -0000000005 |+| |  010|0x008|0X1", "%.5d %.10d %.0d|%+.0d|% .0d|%#5o|%#.3x|%#.0X", 42, -5, 0, 0, 0, 8, 8, 1),
    ROW("7fffffff 80000000 0x5 5    |", "%x %x %##x %--5d|", 0x7fffffff, 0x80000000u, 5, 5),
    // Size prefixes: h and hh read a short, as msvcrt does; l is the C long.
    ROW("4464 -1 ffff 511", "%hd %hhd %hx %hhd", 70000, 0x1ffff, -1, 0x1ff),
    ROW("-1 4294967295", "%ld %lu", -1L, 4294967295UL),
    ROW("1099511627776 18446744073709551615", "%lld %llu", 1LL << 40, ~0ULL),
    ROW("1099511627776 ffffffffffffffff", "%I64d %I64x", std::int64_t{1} << 40, std::int64_t{-1}),
    ROW("-1 ffffffff 5 6", "%I32d %I32x %I32d %I64d", -1, -1, 5, std::int64_t{6}),
    ROW("-1 ffffffffffffffff", "%Id %Ix", std::intptr_t{-1}, ~std::size_t{0}),
    ROW("1099511627776 1099511627776 -1099511627776", "%jd %zu %td", std::intmax_t{1} << 40,
        std::size_t{1} << 40, -(std::ptrdiff_t{1} << 40)),
    // * width and precision; a negative width left-justifies, a negative
    // precision is none.
    ROW("   42|42   |42   |00042|42|abc|", "%*d|%*d|%-*d|%.*d|%.*d|%.*s|", 5, 42, -5, 42, 5, 42, 5, 42, -1, 42, -1,
        Own{"abc"}),
    ROW("      3.14|00001|ab    |ab|", "%*.*f|%0*d|%*s|%.*s|", 10, 2, 3.14159, 5, 1, -6, Own{"ab"}, 2, Own{"abcd"}),
    // %p: every digit, upper case, no 0x; # adds 0X; 0 and precision do nothing.
    ROW("0000000000001234|0X0000000000001234|    0000000000001234|0000000000001234    |", "%p|%#p|%20p|%-20p|",
        kPtr, kPtr, kPtr, kPtr),
    ROW("0000000000000000 ABCDEF0123456789|    0000000000001234|  0X0000000000001234|", "%p %p|%020p|%#020p|",
        static_cast<void*>(nullptr), reinterpret_cast<void*>(std::uintptr_t{0xABCDEF0123456789}), kPtr, kPtr),
    // Floating point: three-digit exponents.
    ROW("1.500000e+000 1.234568E+004 1e-010 1E+020", "%e %E %g %G", 1.5, 12345.678, 1e-10, 1e20),
    ROW("0.500000 -0.000000 3.14 1e+100 1.000000e-300", "%f %f %.2f %g %e", 0.5, -0.0, 3.14159, 1e100, 1e-300),
    ROW("1.23457e+006 123456 0.0001 1e-005 0.000100000 1.5E-007", "%g %g %g %g %#g %G", 1234567.0, 123456.0,
        0.0001, 0.00001, 0.0001, 1.5e-7),
    ROW("1.500000e+000 |-01.500000e+000|+1.500000e+000|  1.5|", "%-14e|%015e|%+e|%5.1f|", 1.5, -1.5, 1.5, 1.5),
    // Halfway cases round away from zero; near-halfway ones do not.
    ROW("1 2 3 -1 0.3 0.3 3e+000 3.e+000 1e+001", "%.0f %.0f %.0f %.0f %.1f %.1g %.0e %#.0e %.0e", 0.5, 1.5, 2.5,
        -0.5, 0.25, 0.25, 2.5, 2.5, 9.5),
    ROW("0.3 2.67 9.9 1.00 0.000123", "%.1f %.2f %.1f %.2f %.3g", 0.35, 2.675, 9.95, 1.005, 0.0001235),
    // %a: every hex digit of a double by default.
    ROW("0x1.0000000000000p+0 -0X1.0000000000000P-1 0x1.999999999999ap-4 0x0.0000000000000p+0", "%a %A %a %a", 1.0,
        -0.5, 0.1, 0.0),
    ROW("0x2p+0 0x1.3p+0 0x1.p+0 -0x00001.0000000000000p+0|", "%.0a %.1a %#.0a %025a|", 1.5, 0x1.28p+0, 1.0, -1.0),
    // Infinities and NaNs in msvcrt's form, rounded like digits.
    ROW("1.#INF00 -1.#INF00 1.#QNAN0 -1.#IND00", "%f %f %f %f", Inf(), -Inf(), QNan(), Ind()),
    ROW("1.#INF00e+000 1.#QNAN0E+000 -1.#IND00e+000", "%e %E %e", Inf(), QNan(), Ind()),
    ROW("1.#INF 1.#QNAN -1.#IND 1 1.#J 1.$", "%g %g %g %.1g %.3g %.2g", Inf(), QNan(), Ind(), Inf(), Inf(), QNan()),
    ROW("1.#J 1.$ 1 1.#IO -1.$", "%.2f %.1f %.0f %.3f %.1f", Inf(), Inf(), Inf(), Inf(), Ind()),
    ROW("  1.#INF00|00001.#INF00|+1.#INF00|1.#INF   |-1.#INFe+000  |", "%10f|%012f|%+f|%-9f|%-12e|", Inf(), Inf(),
        Inf(), Inf(), -Inf()),
    ROW("0x1.#INF000000000p+0 -0X1.#IND000000000P+0", "%a %A", Inf(), Ind()),
    // Strings and characters: own width, other width, fixed width.
    ROW("abc|def|ghi|jkl|mno", "%s|%S|%hs|%ls|%ws", Own{"abc"}, Other{"def"}, NStr{"ghi"}, WStr{"jkl"}, WStr{"mno"}),
    ROW("x|y|z|w|v", "%c|%C|%hc|%lc|%wc", OwnChar{'x'}, OtherChar{'y'}, OwnChar{'z'}, OtherChar{'w'}, OtherChar{'v'}),
    ROW("  abc|abc  |ab|000ab|ab   |   ab|", "%5s|%-5s|%.2s|%05s|%-05s|%5S|", Own{"abc"}, Own{"abc"}, Own{"abc"},
        Own{"ab"}, Own{"ab"}, Other{"ab"}),
    ROW("(null)|(null)|(nu|    (null)|0000(null)|(null)", "%s|%S|%.3s|%10s|%010s|%hs", Own{nullptr},
        Other{nullptr}, Own{nullptr}, Own{nullptr}, Own{nullptr}, NStr{nullptr}),
    ROW("    a|a    |0000a|0000b||", "%5c|%-5c|%05c|%05C|%.0c|", OwnChar{'a'}, OwnChar{'a'}, OwnChar{'a'},
        OtherChar{'b'}, OwnChar{'a'}),
    ROW("100%|%", "100%%|%%"),
    // Invalid formats: the format's own text, unformatted.
    BAD("a%kb"), BAD("ab%"), BAD("%5"), BAD("%-"), BAD("%I"), BAD("%I32"), BAD("%I16d", 1), BAD("%Z"),
    BAD("%5%|"), BAD("%.5"), BAD("%*"), BAD("%hhh"), BAD("%ll"),
    BAD("%n", static_cast<void*>(nullptr)), BAD("%d%n", 1, static_cast<void*>(nullptr)),
    BAD("%F", 1.0), BAD("%3$d", 1, 2, 3), BAD("%*5d", 3, 7), BAD("%5*d", 3, 7), BAD("%.-3d", 5), BAD("%5-d", 5),
    BAD("%qd", 1LL), BAD("%zs", Own{"x"}), BAD("%Is", Own{"x"}), BAD("%lls", Own{"x"}), BAD("%hf", 1.0),
    BAD("%Lx", 1), BAD("%wd", 1), BAD("%lp", kPtr), BAD("%d then %k", 5),
};

void RunTable(NarrowFn narrow, WideFn wide) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(row.narrow(NarrowCall{narrow}), row.expected);
        EXPECT_EQ(row.wide(WideCall{wide}), row.expected);
    }
}

TEST(PrintfFormat, Table) {
    RunTable(&FormatNarrow, &FormatWide);
}

#ifdef _WIN32
TEST(PrintfFormat, TableThroughTheWalker) {
    RunTable(&printf_walker::WalkNarrow, &printf_walker::WalkWide);
}

// The runtime itself, with no check in front, on every valid row: the walker
// gives what it gives.
std::size_t RuntimeNarrow(char* out, std::size_t count, const char* format, std::va_list args) noexcept {
    return static_cast<std::size_t>(_vsnprintf_s(out, count, _TRUNCATE, format, args));
}
std::size_t RuntimeWide(char16_t* out, std::size_t count, const wchar_t* format, std::va_list args) noexcept {
    return static_cast<std::size_t>(_vsnwprintf_s(reinterpret_cast<wchar_t*>(out), count, _TRUNCATE, format, args));
}

TEST(PrintfFormat, WalkerMatchesTheRuntime) {
    for (const Row& row : kRows) {
        if (!row.valid) continue;
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(row.narrow(NarrowCall{&RuntimeNarrow}), row.narrow(NarrowCall{&printf_walker::WalkNarrow}));
        EXPECT_EQ(row.wide(WideCall{&RuntimeWide}), row.wide(WideCall{&printf_walker::WalkWide}));
    }
}
#endif

// Where wine's msvcrt departs from Microsoft's documented rules, the walker
// keeps to the rules: a precision turns the 0 flag off, %p always prints every
// digit, and "%#.0o" still prints its zero.
TEST(PrintfFormat, WalkerKeepsDocumentedRules) {
    EXPECT_EQ(CallNarrow(&printf_walker::WalkNarrow, 64, "%08.3d|%.4p|%#.0o|%.0p", 42, kPtr, 0, kPtr),
              "     042|0000000000001234|0|0000000000001234");
}

// %f is exact: the C library's digits for random doubles of every size and
// precision, the walker's own conversion and its fallback alike. Exact ties
// (the lowest set bit at 2^-(precision+1)) are left to the table, which
// rounds them away from zero where the C library rounds to even.
TEST(PrintfFormat, FixedPointIsExact) {
    std::mt19937_64 random(20261205);
    for (int i = 0; i < 20000; ++i) {
        const int precision = static_cast<int>(random() % 21);
        double x;
        if (i % 2 == 0) {
            const std::uint64_t bits = (random() >> 12) | ((933 + random() % 160) << 52);
            std::memcpy(&x, &bits, sizeof x);
        } else {  // decimal-looking values, as log lines carry
            x = static_cast<double>(random() % 100000000) / std::pow(10.0, random() % 9);
        }
        if (random() % 2 != 0) x = -x;
        int lowest = 0;
        const double fraction = std::frexp(x, &lowest);
        for (auto m = static_cast<std::int64_t>(std::ldexp(fraction, 53)); m != 0 && m % 2 == 0; m /= 2) ++lowest;
        if (x != 0 && lowest - 53 == -(precision + 1)) continue;
        char expected[512];
        std::snprintf(expected, sizeof expected, "%.*f", precision, x);
        SCOPED_TRACE(expected);
        EXPECT_EQ(CallNarrow(&printf_walker::WalkNarrow, 512, "%.*f", precision, x), expected);
    }
}

// Cut at exactly count - 1 units, at the sizes the logging calls use.
TEST(PrintfFormat, CutsSilently) {
    const std::string x3000(3000, 'x');
    const std::wstring wx3000(3000, L'x');
    const std::string bad = std::string(3000, 'y') + "%k";
    const std::wstring wideBad = Widen(bad.c_str());
    EXPECT_EQ(CallNarrow(&FormatNarrow, 2048, "%s", x3000.c_str()), std::string(2047, 'x'));
    EXPECT_EQ(CallWide(&FormatWide, 2048, L"%s", wx3000.c_str()), std::u16string(2047, u'x'));
    EXPECT_EQ(CallNarrow(&FormatNarrow, 16384, "%20000d", 7), std::string(16383, ' '));
    EXPECT_EQ(CallWide(&FormatWide, 16384, L"%20000d", 7), std::u16string(16383, u' '));
    EXPECT_EQ(CallNarrow(&FormatNarrow, 2048, "%-3000d|", 7), "7" + std::string(2046, ' '));
    EXPECT_EQ(CallWide(&FormatWide, 2048, L"%-3000d|", 7), u"7" + std::u16string(2046, u' '));
    EXPECT_EQ(CallNarrow(&FormatNarrow, 2048, "%.2047s", x3000.c_str()), std::string(2047, 'x'));
    EXPECT_EQ(CallNarrow(&FormatNarrow, 2048, bad.c_str()), bad.substr(0, 2047));
    EXPECT_EQ(CallWide(&FormatWide, 2048, wideBad.c_str()), std::u16string(2047, u'y'));
    EXPECT_EQ(CallNarrow(&FormatNarrow, 1, "%s", "abc"), "");
    EXPECT_EQ(CallWide(&FormatWide, 1, L"%s", L"abc"), u"");
}

// Literal runs, strings and numbers of every short length are copied whole,
// and cut at any unit.
TEST(PrintfFormat, RunsOfEveryLength) {
    const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGH";
    for (std::size_t n = 0; n <= 40; ++n) {
        const std::string run = letters.substr(0, n);
        const std::string format = run + "%s|%.*f" + run;
        const std::size_t precision = n % 18;
        const std::string fraction = precision != 0 ? "." + std::string(precision, '0') : "";
        const std::string expected = run + run + "|" + std::to_string(n) + fraction + run;
        SCOPED_TRACE(format);
        for (std::size_t count : {std::size_t{512}, n + 1, 2 * n + 3}) {
            EXPECT_EQ(CallNarrow(&printf_walker::WalkNarrow, count, format.c_str(), run.c_str(),
                                 static_cast<int>(precision), static_cast<double>(n)),
                      expected.substr(0, count - 1));
        }
    }
}

// Wide text of every short length, in the BMP (both halves of it) and
// beyond, in the format and as an argument.
TEST(PrintfFormat, WideRunsOfEveryLength) {
    const std::u16string units = u"a\u00E9\u4E2D\uFFFD\uE000z\U0001F600";
    for (std::size_t n = 0; n <= 40; ++n) {
        std::u16string run;
        for (std::size_t i = 0; run.size() < n; ++i) run += units[i % units.size()];
        run.resize(n);
        if (n > 0 && (run.back() & 0xFC00) == 0xD800) run.back() = u'b';  // no split pair
        std::wstring wideRun;
        for (std::size_t i = 0; i < run.size(); ++i) {
            const bool pair = (run[i] & 0xFC00) == 0xD800;
            wideRun += sizeof(wchar_t) == 2 || !pair
                           ? static_cast<wchar_t>(run[i])
                           : static_cast<wchar_t>(0x10000 + ((run[i] - 0xD800) << 10) +
                                                  (run[i + 1] - 0xDC00));
            if (pair && sizeof(wchar_t) == 4) ++i;
        }
        const std::wstring format = wideRun + L"%s|" + wideRun;
        const std::u16string expected = run + run + u"|" + run;
        SCOPED_TRACE(n);
        for (std::size_t count : {std::size_t{512}, n + 1, 2 * n + 3}) {
            EXPECT_EQ(CallWide(&printf_walker::WalkWide, count, format.c_str(), wideRun.c_str()),
                      expected.substr(0, count - 1));
        }
    }
}

TEST(PrintfFormat, NullFormatAndEmptyBuffer) {
    for (const auto& fns : {std::make_pair(&FormatNarrow, &FormatWide),
                            std::make_pair(&printf_walker::WalkNarrow, &printf_walker::WalkWide)}) {
        EXPECT_EQ(CallNarrow(fns.first, 4, nullptr), "");
        EXPECT_EQ(CallWide(fns.second, 4, nullptr), u"");
        EXPECT_EQ(CallNarrow(fns.first, 0, "abc"), "");
        EXPECT_EQ(CallWide(fns.second, 0, L"abc"), u"");
    }
}

TEST(PrintfFormat, NarrowOnlyCases) {
    // %c writes a NUL as any other character; a wide value is cut to a char.
    EXPECT_EQ(CallNarrow(&FormatNarrow, 64, "a%cb[%c]", 0, 0x141), std::string("a\0b[A]", 6));
    // Narrow text passes through byte for byte, UTF-8 or not.
    EXPECT_EQ(CallNarrow(&FormatNarrow, 64, "%s|%.1s|", "\xC3\xA9\xFF", "\xC3\xA9"), "\xC3\xA9\xFF|\xC3|");
}

TEST(PrintfFormat, WideTextStaysUtf16) {
    // Own-width text and literals: BMP units unchanged, beyond as surrogate pairs.
    EXPECT_EQ(CallWide(&FormatWide, 64, L"\u00E9%s|%c|\U0001F600", L"\u4E2D\U0001F600", L'\u00FC'),
              u"\u00E9\u4E2D\U0001F600|\u00FC|\U0001F600");
    EXPECT_EQ(CallWide(&FormatWide, 64, L"%d%%", 5), u"5%");
}

#ifndef _WIN32
// Cross-width text without the C locale: UTF-8 both ways, lenient.
TEST(PrintfFormat, CrossWidthUtf8) {
    EXPECT_EQ(CallNarrow(&FormatNarrow, 64, "%S|%C|%C|%S", L"h\u00E9\U0001F600", static_cast<wchar_t>(0x263A),
                         static_cast<wchar_t>(0xD800), L"x\xDC00y"),
              "h\xC3\xA9\xF0\x9F\x98\x80|\xE2\x98\xBA|\xEF\xBF\xBD|x\xEF\xBF\xBDy");
    // Precision and width count bytes and never split a character.
    EXPECT_EQ(CallNarrow(&FormatNarrow, 64, "%.3S|%.4S|%6S|", L"\u00E9\u00E9", L"\u00E9\u00E9", L"\u00E9\u00E9"),
              "\xC3\xA9|\xC3\xA9\xC3\xA9|  \xC3\xA9\xC3\xA9|");
    // Bytes that start no valid sequence stand for U+0080..U+00FF.
    EXPECT_EQ(CallWide(&FormatWide, 64, L"%S|%C|%C|%S", "h\xC3\xA9\xF0\x9F\x98\x80", 'a', '\xE9', "\xFF\xC3(\xED\xA0\x80"),
              u"h\u00E9\U0001F600|a|\u00E9|\u00FF\u00C3(\u00ED\u00A0\u0080");
    EXPECT_EQ(CallWide(&FormatWide, 64, L"%c|%.1s|%.2s|%3s|", 0x1F600, L"\U0001F600", L"\U0001F600", L"\U0001F600"),
              u"\U0001F600||\U0001F600| \U0001F600|");
    EXPECT_EQ(CallNarrow(&FormatNarrow, 64, "%Lf %.1Le", 1.5L, 2.25L), "1.500000 2.3e+000");
}
#endif

}  // namespace
}  // namespace vzv
