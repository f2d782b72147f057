#include "text/printf_format.h"
#include "text/printf_walker.h"
#include "text/utf8.h"
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
#include <string>
#include <vector>

namespace vzv {
namespace {

using NarrowFn = std::size_t (*)(char*, std::size_t, const char*, std::va_list) noexcept;
using WideFn = std::size_t (*)(char16_t*, std::size_t, const wchar_t*, std::va_list) noexcept;

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Formats into count units of a larger buffer: the text is terminated and
// nothing beyond count is touched. Wide text comes back as UTF-8.
template <class Ch, class Fmt>
std::string Call(std::size_t (*fn)(Ch*, std::size_t, const Fmt*, std::va_list) noexcept, std::size_t count,
                 const Fmt* format, ...) {
    std::vector<Ch> buffer(count + 4, Ch('#'));
    std::va_list args;
    va_start(args, format);
    const std::size_t n = fn(buffer.data(), count, format, args);
    va_end(args);
    EXPECT_TRUE(count == 0 ? n == 0 && buffer[0] == Ch('#') : n < count && buffer[n] == 0 && buffer[count] == Ch('#'));
    if constexpr (sizeof(Ch) == 1) return std::string(buffer.data(), n);
    else return Utf16ToUtf8(std::u16string(buffer.data(), n));
}

// Text arguments of the format's own width, of the other width, and counted
// strings (%Z) of the format's width; plain literals pass as they are.
// Characters pass as int, whatever their width.
struct Own { const char* text; };
struct Other { const char* text; };
struct OwnCounted { const char* text; };

struct Counted { unsigned short length, maximumLength; const void* buffer; };

// Runs a row as a narrow call (own = char) or as a wide one (own = wchar_t),
// keeping the format for the rows whose text is the format itself, and the
// converted arguments alive for the call.
template <bool kWide> struct Caller {
    explicit Caller(NarrowFn f) noexcept : narrow(f) {}
    explicit Caller(WideFn f) noexcept : wide(f) {}
    NarrowFn narrow = nullptr;
    WideFn wide = nullptr;
    mutable std::string format;
    mutable std::list<std::wstring> wideTexts;
    mutable std::list<Counted> counted;
    template <class... A> std::string operator()(const char* f, A... a) const {
        format = f;
        if constexpr (kWide) return Call(wide, 512, Widen(f).c_str(), Adapt(a)...);
        else return Call(narrow, 512, f, Adapt(a)...);
    }
    const wchar_t* W(const char* text) const { return text ? wideTexts.emplace_back(Widen(text)).c_str() : nullptr; }
    auto Adapt(Own s) const { if constexpr (kWide) return W(s.text); else return s.text; }
    auto Adapt(Other s) const { if constexpr (kWide) return s.text; else return W(s.text); }
    const Counted* Adapt(OwnCounted s) const {
        if (s.text == nullptr) return nullptr;
        const auto bytes = static_cast<unsigned short>(std::strlen(s.text) * (kWide ? sizeof(wchar_t) : 1));
        return &counted.emplace_back(Counted{bytes, bytes, kWide ? static_cast<const void*>(W(s.text)) : s.text});
    }
    template <class T> T Adapt(T v) const { return v; }
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
// process).
enum class Wine { Agrees, Deviates, Refuses };

struct Row {
    const char* expected;  // null: the format's own text (an invalid format)
    Wine wine;
    std::string (*narrow)(const Caller<false>&);
    std::string (*wide)(const Caller<true>&);
};
#define VZV_ROW(expected, wine, ...) \
    { expected, wine, [](const Caller<false>& f) { return f(__VA_ARGS__); }, [](const Caller<true>& f) { return f(__VA_ARGS__); } }
#define ROW(expected, ...) VZV_ROW(expected, Wine::Agrees, __VA_ARGS__)
#define WINE_DEVIATES(expected, ...) VZV_ROW(expected, Wine::Deviates, __VA_ARGS__)
#define WINE_REFUSES(expected, ...) VZV_ROW(expected, Wine::Refuses, __VA_ARGS__)
#define BAD(...) VZV_ROW(nullptr, Wine::Agrees, __VA_ARGS__)

// What the Universal C Runtime of current Windows prints.
const Row kRows[] = {
    // Integers: flags, width, precision (capped at 512), '*' (digits after it win).
    ROW("42|   42|42   |00042|+1| 2|-0003|   -3", "%d|%5d|%-5d|%05d|%+d|% d|%05d|%5d", 42, 42, 42, 42, 1, 2, -3, -3),
    ROW("010 0xff 0XAF 0 0x0000ff|00042||  010|0x008", "%#o %#x %#X %#x %#08x|%.5d|%.0d|%#5o|%#.3x", 8, 255, 0xAF, 0,
        255, 42, 0, 8, 8),
    ROW("   42|42   |00042|42|7    |07", "%*d|%-*d|%.*d|%.*d|%*5d|%0*2d", 5, 42, 5, 42, 5, 42, -1, 42, -9, 7, 9, 7),
    WINE_DEVIATES("0|a|    a", "%#.0o|%.0c|%5.0c", 0, 'a', 'a'),
    WINE_REFUSES("007|42|2.000000|b|x|5|0000000000000001", "%.*3d|%.*0d|%zf|%zs|%Is|%IId|%Ip", 1, 7, 5, 42, 2.0,
                 Own{"b"}, Own{"x"}, std::intptr_t{5}, reinterpret_cast<void*>(std::uintptr_t{1})),
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
    ROW("abc|def|ghi|jkl|mno|pqr|stu", "%s|%S|%hs|%ls|%ws|%Ts|%TS", Own{"abc"}, Other{"def"}, "ghi",
        L"jkl", L"mno", Own{"pqr"}, Own{"stu"}),
    // The text ends at its first NUL.
    ROW("x|y|z|w|v|u|", "%c|%C|%hc|%lc|%wc|%Tc|%cy", 'x', 'y', 'z', 'w', 'v', 'u', 0),
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
const bool kUnderWine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;

// The runtime itself, with no check in front.
std::size_t RuntimeNarrow(char* out, std::size_t count, const char* format, std::va_list args) noexcept {
    return static_cast<std::size_t>(
        __stdio_common_vsnprintf_s(kUcrtPrintfOptions, out, count, kUcrtTruncate, format, nullptr, args));
}
#else
const bool kUnderWine = false;
#endif

// The table through the library and through the walker. On Windows the
// runtime formats for the library; under wine, the library must print a row
// that wine's runtime prints otherwise as the runtime does, and a row that
// the runtime refuses is left out.
TEST(PrintfFormat, Table) {
    for (const bool walker : {false, true})
        for (const Row& row : kRows) {
            const bool wine = !walker && kUnderWine;
            if (wine && row.wine == Wine::Refuses) continue;
            const Caller<false> n(walker ? &printf_walker::WalkNarrow : &FormatNarrow);
            const std::string narrowText = row.narrow(n);
            SCOPED_TRACE(n.format);
            std::string expected = row.expected != nullptr ? row.expected : n.format;
#ifdef _WIN32
            if (wine && row.wine == Wine::Deviates) expected = row.narrow(Caller<false>(&RuntimeNarrow));
#endif
            EXPECT_EQ(narrowText, expected);
            EXPECT_EQ(row.wide(Caller<true>(walker ? &printf_walker::WalkWide : &FormatWide)), narrowText);
            // The check that guards the runtime on Windows agrees with the walker.
            EXPECT_EQ(printf_walker::IsValidFormat(n.format.c_str()), row.expected != nullptr);
        }
    EXPECT_EQ(Call(&FormatNarrow, 0, "abc"), "");  // no room: not even the end is written
    EXPECT_EQ(Call(&FormatNarrow, 8, "x%20d", 1), "x      ");  // padding cut at the end
}

// Formatting leaves errno as it was. Cross-width text crosses as UTF-8, not
// by the C locale, leniently, the precision and the width counting
// characters, and never as half a pair; on Windows the runtime converts by
// the C locale, and what it cannot convert gives the format's own text.
TEST(PrintfFormat, CrossWidthText) {
    errno = EDOM;
    const std::string text = Call(&FormatNarrow, 64, "a%Sb|%C|%.1S|%4S|%c|", L"\u263A",
                                  wchar_t(0xD800), L"\u00E9\u00E9", L"\u00E9\u00E9", 0x141);
    EXPECT_EQ(errno, EDOM);
#ifdef _WIN32
    EXPECT_EQ(text, "a%Sb|%C|%.1S|%4S|%c|");
#else
    EXPECT_EQ(text, "a\xE2\x98\xBA" "b|\xEF\xBF\xBD|\xC3\xA9|  \xC3\xA9\xC3\xA9|A|");
    const std::string emoji = "\xF0\x9F\x98\x80";
    EXPECT_EQ(Call(&FormatWide, 64, L"%S|%C|%.2S|%S|%.1s|%3s|%Lf", ("h\xC3\xA9" + emoji).c_str(),
                   '\xE9', "\xC3\xA9xy", "\xFF\xC3(", L"\U0001F600", L"\U0001F600", 1.5L),
              "h\xC3\xA9" + emoji + "|\xC3\xA9|\xC3\xA9x|\xC3\xBF\xC3\x83(|" + emoji + "|  " +
                  emoji + "|1.500000");
    EXPECT_EQ(Call(&FormatWide, 7, L"\U0001F600\u00E9%d\U0001F600x", 7),
              emoji + "\xC3\xA9" "7" + emoji);
#endif
}

}  // namespace
}  // namespace vzv
