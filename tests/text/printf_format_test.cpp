#include "text/printf_format.h"
#include "text/printf_walker.h"
#ifdef _WIN32
#include "text/printf_ucrt.h"

#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdarg>
#include <cstdint>
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

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// Non-ASCII units show as \uXXXX, so that a mismatch stays readable.
std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
        out += c < 0x80 ? std::string(1, static_cast<char>(c)) : hex;
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
    EXPECT_LT(n, count);
    EXPECT_EQ(buffer[n], u'\0');
    return std::u16string(buffer.data(), n);
}

// Text arguments: of the format's own width, of the other width, narrow or
// wide whatever the format; and counted strings (%Z) of the format's width.
// Characters pass as int, whatever their width.
struct Own { const char* text; };
struct Other { const char* text; };
struct NStr { const char* text; };
struct WStr { const char* text; };
struct OwnCounted { const char* text; };

struct Counted {
    unsigned short length, maximumLength;
    const void* buffer;
};

// Keeps the converted arguments of one call alive.
struct Keep {
    std::list<std::wstring> wide;
    std::list<Counted> counted;
    const wchar_t* Wide(const char* text) {
        if (text == nullptr) return nullptr;
        wide.push_back(Widen(text));
        return wide.back().c_str();
    }
    const Counted* Count(const void* text, std::size_t bytes) {
        counted.push_back({static_cast<unsigned short>(bytes), static_cast<unsigned short>(bytes), text});
        return &counted.back();
    }
};

// Runs a row as a narrow call (own = char) or as a wide one (own = wchar_t),
// keeping the format for the rows whose text is the format itself.
template <bool kWide>
struct Call {
    explicit Call(NarrowFn f) noexcept : narrow(f) {}
    explicit Call(WideFn f) noexcept : wide(f) {}
    NarrowFn narrow = nullptr;
    WideFn wide = nullptr;
    mutable std::string format;
    template <class... A>
    std::string operator()(const char* f, A... a) const {
        format = f;
        Keep keep;
        if constexpr (kWide) return Narrow(CallWide(wide, 512, Widen(f).c_str(), Adapt(a, keep)...));
        else return CallNarrow(narrow, 512, f, Adapt(a, keep)...);
    }
    static auto Adapt(Own s, Keep& k) {
        if constexpr (kWide) return k.Wide(s.text);
        else return s.text;
    }
    static auto Adapt(Other s, Keep& k) {
        if constexpr (kWide) return s.text;
        else return k.Wide(s.text);
    }
    static const char* Adapt(NStr s, Keep&) { return s.text; }
    static const wchar_t* Adapt(WStr s, Keep& k) { return k.Wide(s.text); }
    static const Counted* Adapt(OwnCounted s, Keep& k) {
        if (s.text == nullptr) return nullptr;
        if constexpr (!kWide) return k.Count(s.text, std::strlen(s.text));
        const wchar_t* wide = k.Wide(s.text);
        return k.Count(wide, std::wcslen(wide) * sizeof(wchar_t));
    }
    template <class T>
    static T Adapt(T v, Keep&) { return v; }
};

double Bits(std::uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}
const double kInf = std::numeric_limits<double>::infinity();
const double kNan = Bits(0x7FF8000000000000);      // "nan"
const double kInd = Bits(0xFFF8000000000000);      // the indeterminate NaN: "-nan(ind)"
const double kNegNan = Bits(0xFFF8000000000001);   // "-nan"
const double kSnan = Bits(0x7FF0000000000001);     // "nan(snan)"
const double kTiny = Bits(1);                      // the least subnormal
void* const kPtr = reinterpret_cast<void*>(std::uintptr_t{0x1234});

// Wine's ucrtbase.dll prints some rows otherwise than Windows' own, and
// refuses some valid formats outright (the invalid-parameter handler ends the
// process): under wine, the runtime is checked only against the library.
enum class Wine { Agrees, Deviates, Refuses };

struct Row {
    const char* expected;  // null: the format's own text (an invalid format)
    Wine wine;
    std::string (*narrow)(const Call<false>&);
    std::string (*wide)(const Call<true>&);
};
#define VZV_ROW(expected, wine, ...) \
    { expected, wine, [](const Call<false>& f) { return f(__VA_ARGS__); }, [](const Call<true>& f) { return f(__VA_ARGS__); } }
#define ROW(expected, ...) VZV_ROW(expected, Wine::Agrees, __VA_ARGS__)
#define WINE_DEVIATES(expected, ...) VZV_ROW(expected, Wine::Deviates, __VA_ARGS__)
#define WINE_REFUSES(expected, ...) VZV_ROW(expected, Wine::Refuses, __VA_ARGS__)
#define BAD(...) VZV_ROW(nullptr, Wine::Agrees, __VA_ARGS__)

// What the Universal C Runtime of current Windows prints.
const Row kRows[] = {
    // Integers: flags, width, precision (capped at 512), '*' (digits after it win).
    ROW("42|   42|42   |00042|+1| 2|-0003|   -3", "%d|%5d|%-5d|%05d|%+d|% d|%05d|%5d", 42, 42, 42, 42, 1, 2, -3, -3),
    ROW("010 0xff 0XFF 0 0x0000ff|00042||  010|0x008", "%#o %#x %#X %#x %#08x|%.5d|%.0d|%#5o|%#.3x", 8, 255, 255, 0,
        255, 42, 0, 8, 8),
    ROW("   42|42   |00042|42|7    |07", "%*d|%-*d|%.*d|%.*d|%*5d|%0*2d", 5, 42, 5, 42, 5, 42, -1, 42, -9, 7, 9, 7),
    WINE_DEVIATES("0|a|    a", "%#.0o|%.0c|%5.0c", 0, 'a', 'a'),
    WINE_REFUSES("007|2.000000|b|x|5|0000000000000001", "%.*3d|%zf|%zs|%Is|%IId|%Ip", 1, 7, 2.0, Own{"b"}, Own{"x"},
                 std::intptr_t{5}, reinterpret_cast<void*>(std::uintptr_t{1})),
    // Size prefixes.
    ROW("4464 ffff ffff 4294967295", "%hd %hx %hx %u", 70000, -1, 0x1ffff, -1),
    ROW("1099511627776 18446744073709551615 -1 ffffffff 5", "%lld %llu %I32d %I32x %I64d", 1LL << 40, ~0ULL, -1, -1,
        std::int64_t{5}),
    ROW("-1 ffffffffffffffff 1099511627776 1099511627776 -1099511627776", "%Id %Ix %jd %zu %td", std::intptr_t{-1},
        ~std::size_t{0}, std::intmax_t{1} << 40, std::size_t{1} << 40, -(std::ptrdiff_t{1} << 40)),
    WINE_DEVIATES("44 -1 255 ff", "%hhd %hhd %hhu %hhx", 300, 0x1ff, -1, -1),
    // %p: every digit, upper case; the precision is forced, so 0, '#' and a
    // given precision change nothing.
    ROW("0000000000001234|    0000000000001234|0000000000001234  |  0000000000001234", "%p|%20p|%-18p|%018p", kPtr,
        kPtr, kPtr, kPtr),
    WINE_DEVIATES("0000000000001234|0000000000001234", "%#p|%.4p", kPtr, kPtr),
    // Exponents of at least two digits.
    ROW("1.500000e+00 1.234568E+04 1e-10 1E+20 1e+100 1.000000e-300", "%e %E %g %G %g %e", 1.5, 12345.678, 1e-10,
        1e20, 1e100, 1e-300),
    // Halfway cases round to even, exactly; near-halfway ones as they are.
    ROW("0 2 2 -0 0.12 0.2 2e+00 0.2 2", "%.0f %.0f %.0f %.0f %.2f %.1f %.0e %.1g %.0f", 0.5, 1.5, 2.5, -0.5, 0.125,
        0.25, 2.5, 0.25, 1.5),
    ROW("0.3 2.67 9.9 1.00 0.10000000000000000555", "%.1f %.2f %.1f %.2f %.20f", 0.35, 2.675, 9.95, 1.005, 0.1),
    // %g and the float flags.
    ROW("1.23457e+06 123456 0.0001 1e-05 0.000100000 1.5E-07 2. 0 0.00000", "%g %g %g %g %#g %G %#.0g %g %#g",
        1234567.0, 123456.0, 0.0001, 0.00001, 0.0001, 1.5e-7, 2.5, 0.0, 0.0),
    ROW("1.500000e+00  |-001.500000e+00|+1.500000e+00|  1.5|3.|2.e+00|-0.000000", "%-14e|%015e|%+e|%5.1f|%#.0f|%#.0e|%f",
        1.5, -1.5, 1.5, 1.5, 3.0, 2.0, -0.0),
    // %F, and prefixes the runtime ignores for floating point.
    ROW("1.500000 2.5 -0.250000 1.000000 2.000000", "%F %.1F %lF %hf %wf", 1.5, 2.5, -0.25, 1.0, 2.0),
    // Infinities and NaNs: lower case for %a %e %f %g, upper case for the others.
    ROW("inf -inf nan -nan(ind)", "%f %e %g %a", kInf, -kInf, kNan, kInd),
    ROW("INF -INF NAN -NAN(IND)", "%F %E %G %A", kInf, -kInf, kNan, kInd),
    WINE_DEVIATES("-nan nan(snan) NAN(SNAN)", "%f %f %F", kNegNan, kSnan, kSnan),
    ROW("       inf|      -inf|+inf|inf   | nan|inf", "%10f|%010f|%+f|%-6f|% e|%.1f", kInf, -kInf, kInf, kInf, kNan,
        kInf),
    WINE_DEVIATES("i.nf|-.inf|-0x00.inf", "%#.0f|%#.0e|%#09.0a", kInf, -kInf, -kInf),
    // %a: 13 hex digits by default, subnormals unnormalised, halfway to even.
    ROW("0x1.0000000000000p+0 -0X1.0000000000000P-1 0x1.999999999999ap-4 0x0.0000000000000p+0 0x0.0000000000001p-1022",
        "%a %A %a %a %a", 1.0, -0.5, 0.1, 0.0, kTiny),
    ROW("0x2p+0 0x1.2p+0 0x1.4p+0 0x2.0p+0 0x1p+1 0x1.p+0 -0x00001.0000000000000p+0 0x1.00000000000000p+0",
        "%.0a %.1a %.1a %.1a %.0a %#.0a %025a %.14a", 1.5, 0x1.28p+0, 0x1.38p+0, 0x1.f8p+0, 2.5, 1.0, -1.0, 1.0),
    // %s %c %S %C: the format's own width, the other one, or as the prefix says.
    ROW("abc|def|ghi|jkl|mno|pqr|stu", "%s|%S|%hs|%ls|%ws|%Ts|%TS", Own{"abc"}, Other{"def"}, NStr{"ghi"},
        WStr{"jkl"}, WStr{"mno"}, Own{"pqr"}, Own{"stu"}),
    ROW("x|y|z|w|v|u", "%c|%C|%hc|%lc|%wc|%Tc", 'x', 'y', 'z', 'w',
        'v', 'u'),
    ROW("a|c|d|e", "%lls|%Ls|%hhs|%I64s", Own{"a"}, Own{"c"}, Own{"d"}, Own{"e"}),
    ROW("  abc|abc  |ab|000ab|   ab|    a|0000a", "%5s|%-5s|%.2s|%05s|%5S|%5c|%05c", Own{"abc"}, Own{"abc"},
        Own{"abc"}, Own{"ab"}, Other{"ab"}, 'a', 'a'),
    ROW("(null)|(null)|(nu|    (null)", "%s|%S|%.3s|%10s", Own{nullptr}, Other{nullptr}, Own{nullptr}, Own{nullptr}),
    WINE_REFUSES("abc|  abc|(null)", "%Z|%5.1Z|%Z", OwnCounted{"abc"}, OwnCounted{"abc"}, OwnCounted{nullptr}),
    ROW("100%|%", "100%%|%%"),
    // Invalid formats: the format's own text, unformatted.
    BAD("a%kb"), BAD("ab%"), BAD("%5"), BAD("%-"), BAD("%I"), BAD("%I32"), BAD("%I16d", 1), BAD("%5%|"),
    BAD("%.5"), BAD("%*"), BAD("%hhh"), BAD("%hld", 1L), BAD("%lh", 1), BAD("%n", kPtr), BAD("%d%n", 1, kPtr),
    BAD("%3$d", 1, 2, 3), BAD("%5*d", 3, 7), BAD("%.-3d", 5), BAD("%5-d", 5), BAD("%qd", 1LL), BAD("%Lx", 1),
    BAD("%wd", 1), BAD("%Td", 1), BAD("%Nd", 1), BAD("%d then %k", 5), BAD("%99999999999d", 1), BAD("%.%"),
};

#ifdef _WIN32
bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}
#else
bool UnderWine() {
    return false;
}
#endif

// The table through the library, or through the walker (also on Windows,
// where the runtime formats for the library).
void RunTable(NarrowFn narrow, WideFn wide, bool byRuntime) {
    for (const Row& row : kRows) {
        if (byRuntime && UnderWine() && row.wine != Wine::Agrees) continue;
        const Call<false> n(narrow);
        const std::string narrowText = row.narrow(n), wideText = row.wide(Call<true>(wide));
        const std::string expected = row.expected != nullptr ? row.expected : n.format;
        SCOPED_TRACE(n.format);
        EXPECT_EQ(narrowText, expected);
        EXPECT_EQ(wideText, expected);
    }
}

#ifdef _WIN32
TEST(PrintfFormat, Table) {
    RunTable(&FormatNarrow, &FormatWide, true);
}

TEST(PrintfFormat, TableThroughTheWalker) {
    RunTable(&printf_walker::WalkNarrow, &printf_walker::WalkWide, false);
}

// The runtime itself, with no check in front, on every valid row that it
// accepts: the library agrees with it.
std::size_t RuntimeNarrow(char* out, std::size_t count, const char* format, std::va_list args) noexcept {
    return static_cast<std::size_t>(
        __stdio_common_vsnprintf_s(kUcrtPrintfOptions, out, count, kUcrtTruncate, format, nullptr, args));
}
std::size_t RuntimeWide(char16_t* out, std::size_t count, const wchar_t* format, std::va_list args) noexcept {
    return static_cast<std::size_t>(__stdio_common_vsnwprintf_s(
        kUcrtPrintfOptions, reinterpret_cast<wchar_t*>(out), count, kUcrtTruncate, format, nullptr, args));
}

TEST(PrintfFormat, AgreesWithTheRuntime) {
    for (const Row& row : kRows) {
        if (row.expected == nullptr || (UnderWine() && row.wine == Wine::Refuses)) continue;
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(row.narrow(Call<false>(&FormatNarrow)), row.narrow(Call<false>(&RuntimeNarrow)));
        EXPECT_EQ(row.wide(Call<true>(&FormatWide)), row.wide(Call<true>(&RuntimeWide)));
    }
}
#else
TEST(PrintfFormat, Table) {
    RunTable(&FormatNarrow, &FormatWide, false);
}
#endif

// Cut at exactly count - 1 units, at the sizes the logging calls use.
TEST(PrintfFormat, CutsSilently) {
    const std::string x3000(3000, 'x');
    const std::wstring wx3000(3000, L'x');
    const std::string bad = std::string(3000, 'y') + "%k";
    EXPECT_EQ(CallNarrow(&FormatNarrow, 2048, "%s", x3000.c_str()), std::string(2047, 'x'));
    EXPECT_EQ(CallWide(&FormatWide, 2048, L"%s", wx3000.c_str()), std::u16string(2047, u'x'));
    EXPECT_EQ(CallNarrow(&FormatNarrow, 16384, "%20000d", 7), std::string(16383, ' '));
    EXPECT_EQ(CallWide(&FormatWide, 2048, L"%-3000d|", 7), u"7" + std::u16string(2046, u' '));
    EXPECT_EQ(CallNarrow(&FormatNarrow, 2048, bad.c_str()), bad.substr(0, 2047));
    EXPECT_EQ(CallWide(&FormatWide, 2048, Widen(bad).c_str()), std::u16string(2047, u'y'));
    EXPECT_EQ(CallNarrow(&FormatNarrow, 1, "%s", "abc"), "");
    EXPECT_EQ(CallWide(&FormatWide, 4, L"%s", L"abc"), u"abc");
    EXPECT_EQ(CallNarrow(&FormatNarrow, 8, "%.1100f", 1.0), "1.00000");
    // The runtime caps an integer's precision at 512 digits.
    EXPECT_EQ(CallNarrow(&printf_walker::WalkNarrow, 1024, "%.600d|", 1), std::string(511, '0') + "1|");
    EXPECT_EQ(CallNarrow(&FormatNarrow, 4, nullptr), "");
}

// Formatting leaves errno as it was. On Windows a cross-width conversion that
// the C locale cannot make gives the format's text.
TEST(PrintfFormat, KeepsErrnoAndFailsSoftly) {
    errno = EDOM;
    const std::string text = CallNarrow(&FormatNarrow, 64, "a%Sb|%e|%s", L"\u263A", 1.5, "x");
    EXPECT_EQ(errno, EDOM);
#ifdef _WIN32
    EXPECT_EQ(text, "a%Sb|%e|%s");
#else
    EXPECT_EQ(text, "a\xE2\x98\xBA" "b|1.500000e+00|x");
#endif
}

#ifndef _WIN32
// %e %f %g are exact: the C library's digits (which round halfway cases to
// even too) for doubles of every size, at every precision up to long ones.
TEST(PrintfFormat, FloatDigitsAreExact) {
    std::mt19937_64 random(20261206);
    char expected[2048];
    for (int i = 0; i < 20000; ++i) {
        double x = Bits(random());
        if (i % 2 != 0) x = static_cast<double>(random() % 100000) / 1000.0;  // decimal-looking, with ties
        if (!std::isfinite(x)) continue;
        const int precision = i % 10 == 0 ? static_cast<int>(random() % 1200) : static_cast<int>(random() % 25);
        const char* format = (i / 2) % 4 == 0 ? "%.*f" : (i / 2) % 4 == 1 ? "%.*e" : (i / 2) % 4 == 2 ? "%.*g" : "%#.*G";
        std::snprintf(expected, sizeof expected, format, precision, x);
        SCOPED_TRACE(expected);
        EXPECT_EQ(CallNarrow(&FormatNarrow, sizeof expected, format, precision, x), expected);
    }
}

// Cross-width text without the C locale: UTF-8 both ways, lenient; the
// precision and the width count characters of the argument.
TEST(PrintfFormat, CrossWidthUtf8) {
    EXPECT_EQ(CallNarrow(&FormatNarrow, 64, "%S|%C|%C|%S", L"h\u00E9\U0001F600", static_cast<wchar_t>(0x263A),
                         static_cast<wchar_t>(0xD800), L"x\xDC00y"),
              "h\xC3\xA9\xF0\x9F\x98\x80|\xE2\x98\xBA|\xEF\xBF\xBD|x\xEF\xBF\xBDy");
    EXPECT_EQ(CallNarrow(&FormatNarrow, 64, "%.1S|%4S|", L"\u00E9\u00E9", L"\u00E9\u00E9"),
              "\xC3\xA9|  \xC3\xA9\xC3\xA9|");
    EXPECT_EQ(CallWide(&FormatWide, 64, L"%S|%C|%C|%.2S|%S", "h\xC3\xA9\xF0\x9F\x98\x80", 'a', '\xE9',
                       "\xC3\xA9xy", "\xFF\xC3(\xED\xA0\x80"),
              u"h\u00E9\U0001F600|a|\u00E9|\u00E9x|\u00FF\u00C3(\u00ED\u00A0\u0080");
    EXPECT_EQ(CallWide(&FormatWide, 64, L"\u00E9%c|%.1s|%3s|", 0x1F600, L"\U0001F600", L"\U0001F600"),
              u"\u00E9\U0001F600|\U0001F600|  \U0001F600|");
    EXPECT_EQ(CallNarrow(&FormatNarrow, 64, "%s|%.1s|%c", "\xC3\xA9\xFF", "\xC3\xA9", 0x141), "\xC3\xA9\xFF|\xC3|A");
    EXPECT_EQ(CallNarrow(&FormatNarrow, 64, "%Lf %.1Le %La", 1.5L, 2.25L, 1.0L), "1.500000 2.2e+00 0x1.0000000000000p+0");
}
#endif

}  // namespace
}  // namespace vzv
