// The walker's output: a caller's fixed buffer, filled up to one unit short
// of its end, and the runtime's layout of a field.
#pragma once

#include "text/printf_directive.h"

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace vzv::printf_walker {

// The caller's argument list, used in place and passed by reference between
// the conversions. (A copy would read the list just after the caller's
// va_start stored it, a load that processors cannot forward from those
// stores and wait for.) Where va_list is an array, as on x86-64 System V, a
// function receives it as a pointer to its element.
#if defined(__x86_64__) && !defined(_WIN32)
using ArgList = std::decay_t<std::va_list>;
#else
using ArgList = std::va_list;
#endif
struct Args {
    ArgList& ap;
};

template <class Out>
class Sink {
public:
    Sink(Out* out, std::size_t count) noexcept : m_out(out), m_limit(count - 1) {}
    bool Full() const noexcept { return m_pos >= m_limit; }
    // Every NUL of the output comes through here (a %c or %Z of one).
    void Put(Out unit) noexcept {
        if (m_pos >= m_limit) return;
        if (unit == 0 && m_pos < m_textEnd) m_textEnd = m_pos;
        m_out[m_pos++] = unit;
    }
    // ASCII, as units of the output width; the room is checked once.
    void Put(const char* ascii, std::size_t n) noexcept {
        const std::size_t m = std::min(n, m_limit - m_pos);
        if constexpr (std::is_same_v<Out, char>) {
            std::copy(ascii, ascii + m, m_out + m_pos);
        } else {
            for (std::size_t i = 0; i < m; ++i)
                m_out[m_pos + i] = static_cast<Out>(static_cast<unsigned char>(ascii[i]));
        }
        m_pos += m;
    }
    void Fill(char c, std::size_t n) noexcept {
        const std::size_t m = std::min(n, m_limit - m_pos);
        for (std::size_t i = 0; i < m; ++i) m_out[m_pos + i] = static_cast<Out>(c);
        m_pos += m;
    }
    // Text of the output width up to `stop` (by default its NUL) or `limit`
    // units, whichever comes first, nothing past it read; returns where it
    // stopped. The runs of a format and most arguments are a few units, which
    // cost less copied one by one than searched and copied by the C library:
    // the first kShortText are, the rest of a longer text by the C library.
    static constexpr std::size_t kShortText = 16;
    const Out* PutText(const Out* text, std::size_t limit, Out stop = 0) noexcept {
        const std::size_t room = std::min(limit, m_limit - m_pos);
        Out* const out = m_out + m_pos;
        const std::size_t first = std::min(room, kShortText);
        std::size_t n = 0;
        for (Out c; n < first && (c = text[n]) != stop; ++n) out[n] = c;
        if (n == kShortText) {
            const Out* const found = std::char_traits<Out>::find(text + n, room - n, stop);
            const std::size_t end = found != nullptr ? static_cast<std::size_t>(found - text) : room;
            std::copy(text + n, text + end, out + n);
            n = end;
        }
        m_pos += n;
        return text + n;
    }
    // ASCII of at most kMost units, written by `write(char* at)`, which
    // returns its end: in place when the output is narrow and has the room,
    // else through a buffer.
    template <std::size_t kMost, class Write>
    void PutAscii(Write write) noexcept {
        if constexpr (std::is_same_v<Out, char>) {
            if (m_limit - m_pos >= kMost) {
                m_pos = static_cast<std::size_t>(write(m_out + m_pos) - m_out);
                return;
            }
        }
        char ascii[kMost];
        Put(ascii, static_cast<std::size_t>(write(ascii) - ascii));
    }
    // The text's length: it ends at its first NUL.
    std::size_t Finish() noexcept {
        m_out[m_pos] = 0;
        return std::min(m_pos, m_textEnd);
    }

private:
    Out* m_out;
    std::size_t m_limit;
    std::size_t m_pos = 0;
    std::size_t m_textEnd = SIZE_MAX;
};

// A field as the runtime lays it out: [spaces] prefix [zeros] body [spaces].
// The width counts `length` units for the body; with zeroPad the padding is
// zeros between prefix and body.
template <class Out, class Body>
void EmitField(Sink<Out>& sink, const Directive& d, const char* prefix, std::size_t prefixLength,
               bool zeroPad, std::size_t length, Body body) noexcept {
    const auto width = static_cast<std::size_t>(d.width > 0 ? d.width : 0);
    const std::size_t used = prefixLength + length;
    const std::size_t pad = width > used ? width - used : 0;
    if (!d.left && !zeroPad) sink.Fill(' ', pad);
    sink.Put(prefix, prefixLength);
    if (!d.left && zeroPad) sink.Fill('0', pad);
    body();
    if (d.left) sink.Fill(' ', pad);
}

}  // namespace vzv::printf_walker
