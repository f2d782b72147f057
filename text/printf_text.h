// Text in the walker: the format's own characters, %c, %s and %Z, in either
// width. Narrow text is UTF-8, taken leniently (a byte that starts no valid
// sequence stands for U+0080..U+00FF); wide text is the platform's wchar_t.
// Output is UTF-8 or UTF-16.
#pragma once

#include "text/printf_output.h"
#include "text/utf8.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace vzv::printf_walker {

constexpr bool kWide16 = sizeof(wchar_t) == 2;

// One character in units of the output width.
template <class Out>
struct Units {
    Out u[4] = {};
    int n = 0;
};

// Lone surrogates pass into UTF-16 as they are: UTF-16 text may carry them.
inline void Encode(char32_t cp, Units<char>& u) noexcept { u.n = EncodeUtf8(cp, u.u); }
inline void Encode(char32_t cp, Units<char16_t>& u) noexcept { u.n = EncodeUtf16(cp, u.u); }

inline char32_t DecodeUtf8(const char*& p) noexcept {
    const auto* s = reinterpret_cast<const unsigned char*>(p);
    const char32_t lead = s[0];
    int length = 1;
    char32_t cp = lead, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, cp = lead & 0x1F, least = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, cp = lead & 0x0F, least = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, cp = lead & 0x07, least = 0x10000;
    int i = 1;
    while (i < length && (s[i] & 0xC0) == 0x80) cp = (cp << 6) | (s[i++] & 0x3F);  // stops at the NUL
    if (i < length ||
        (length > 1 && (cp < least || cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)))) {
        ++p;
        return lead;
    }
    p += length;
    return cp;
}

// The next character of a NUL-terminated text in the output width; false at
// the end. Narrow to narrow copies bytes, and UTF-16 to UTF-16 units.
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
    char32_t cp = static_cast<char32_t>(Code(*p++));
    if (kWide16 && IsHighSurrogate(cp) && IsLowSurrogate(Code(*p)))
        cp = CombineSurrogates(cp, Code(*p++));
    Encode(cp, u);
    return true;
}

inline bool Next(const wchar_t*& p, Units<char16_t>& u) noexcept {
    if (*p == 0) return false;
    Encode(static_cast<char32_t>(Code(*p++)), u);
    return true;
}

template <class Out>
void Put(Sink<Out>& sink, const Units<Out>& u) noexcept { for (int i = 0; i < u.n; ++i) sink.Put(u.u[i]); }

// One character of the format's own text.
template <class Out, class Ch>
void PutLiteral(Sink<Out>& sink, const Ch*& p) noexcept {
    Units<Out> u;
    Next(p, u);
    Put(sink, u);
}

// The format's text up to `stop` or its end (`end` for a narrow format):
// narrow into narrow copied as it is; wide into UTF-16 with a unit of the
// basic plane (or a lone surrogate) itself, only the rest encoded.
inline void PutRun(Sink<char>& sink, const char*& p, const char* end) noexcept {
    p = sink.PutText(p, static_cast<std::size_t>(end - p), '%');
}

inline void PutRun(Sink<char16_t>& sink, const wchar_t*& p, wchar_t stop = '%') noexcept {
    for (; *p != 0 && *p != stop; ++p) {
        const std::uint32_t c = Code(*p);
        if (c < 0x10000) {
            sink.Put(static_cast<char16_t>(c));
        } else {
            Units<char16_t> u;
            Encode(static_cast<char32_t>(c), u);
            Put(sink, u);
        }
    }
}

// The runtime's choice of width for %c %s %Z: h narrow, l and w wide, T the
// format's; otherwise %s %c %Z take the format's width and %S %C the other.
inline bool TakesWide(const Directive& d, bool wideFormat) noexcept {
    if (d.size == Size::h) return false;
    if (d.size == Size::l || d.size == Size::w) return true;
    if (d.size == Size::T) return wideFormat;
    return wideFormat != (d.conv == 'S' || d.conv == 'C');
}

// One %c argument, or one unit of a %Z text. A lone narrow byte is ASCII
// or, leniently, U+0080..U+00FF.
template <class Out>
Units<Out> CharUnits(bool wide, std::uint32_t value) noexcept {
    Units<Out> u;
    if (wide) Encode(kWide16 ? (value & 0xFFFF) : value, u);
    else if (std::is_same_v<Out, char>) u.u[0] = static_cast<Out>(value), u.n = 1;
    else Encode(value & 0xFF, u);
    return u;
}

// %c ignores the precision, as in the runtime.
template <class Out>
void FormatChar(Sink<Out>& sink, const Directive& d, bool wide, std::uint32_t value) noexcept {
    const Units<Out> u = CharUnits<Out>(wide, value);
    EmitField(sink, d, "", 0, d.zero, static_cast<std::size_t>(u.n), [&] { Put(sink, u); });
}

// Up to `limit` characters of `text` (NUL-terminated), written when a sink is
// given; returns how many. Like the runtime, the precision and the width count
// characters of the argument: bytes of narrow text into narrow output,
// characters of UTF-8, wchar_t units of wide text.
template <class Out, class Src>
std::size_t EmitText(Sink<Out>* sink, const Src* text, std::size_t limit) noexcept {
    std::size_t n = 0;
    for (Units<Out> u; n < limit && Next(text, u); ++n)
        if (sink != nullptr) Put(*sink, u);
    return n;
}

// A null text prints as "(null)".
template <class Src>
const Src* TextOrNull(const Src* text) noexcept {
    static constexpr Src kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
    return text != nullptr ? text : kNull;
}

// A text of the format's own width whole, without a field.
inline void PutWhole(Sink<char>& sink, const char* text) noexcept { sink.PutText(TextOrNull(text), SIZE_MAX); }
inline void PutWhole(Sink<char16_t>& sink, const wchar_t* text) noexcept {
    text = TextOrNull(text);
    PutRun(sink, text, 0);
}

template <class Out, class Src>
void FormatText(Sink<Out>& sink, const Directive& d, const Src* text) noexcept {
    text = TextOrNull(text);
    const std::size_t limit = d.precision < 0 ? SIZE_MAX : static_cast<std::size_t>(d.precision);
    if constexpr (std::is_same_v<Out, Src>)
        if (d.width <= 0) return static_cast<void>(sink.PutText(text, limit));  // units as they are, no field
    if constexpr (std::is_same_v<Out, char16_t> && std::is_same_v<Src, wchar_t>)
        if (d.width <= 0 && d.precision < 0) return PutWhole(sink, text);
    const std::size_t length = d.width > 0 ? EmitText<Out>(nullptr, text, limit) : 0;
    EmitField(sink, d, "", 0, d.zero, length, [&] { EmitText(&sink, text, limit); });
}

// %Z: a counted string (the Windows SDK's ANSI_STRING or UNICODE_STRING), its
// length in bytes, printed whole whatever the precision, unit by unit.
struct CountedString {
    unsigned short length, maximumLength;
    const void* buffer;
};

template <class Out>
void FormatCounted(Sink<Out>& sink, const Directive& d, bool wide, const CountedString* s) noexcept {
    if (s == nullptr || s->buffer == nullptr) {
        Directive whole = d;
        whole.precision = -1;
        FormatText(sink, whole, "(null)");
        return;
    }
    const std::size_t units = wide ? s->length / sizeof(wchar_t) : s->length;
    EmitField(sink, d, "", 0, d.zero, units, [&] {
        for (std::size_t i = 0; i < units; ++i)
            Put(sink, CharUnits<Out>(wide, wide ? Code(static_cast<const wchar_t*>(s->buffer)[i])
                                                : Code(static_cast<const char*>(s->buffer)[i])));
    });
}

}  // namespace vzv::printf_walker
