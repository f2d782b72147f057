// Floating-point conversions (%a %e %f %g and their upper-case forms), as the
// Universal C Runtime prints them: exact digits, halfway cases to even,
// exponents of at least two digits, "inf", "nan", "nan(snan)" and
// "-nan(ind)", and %a with every hex digit of a double by default.
#pragma once

#include "text/printf_output.h"

#include <cstddef>

namespace vzv::printf_walker {

// A double's exact decimal expansion ends within this many digits after the
// point (and has at most kMaxSignificant significant ones): the digits of a
// longer precision are zeros, appended rather than generated.
constexpr int kMaxFraction = 1074;
constexpr int kMaxSignificant = 767;

// What a conversion prints, apart from the field's padding.
struct FloatText {
    char prefix[3] = {};    // sign and "0x"
    std::size_t prefixLength = 0;
    bool zeroPad = false;   // the 0 flag pads with zeros (not for inf and nan)
    char body[1400];        // digits and point, then any exponent
    std::size_t length = 0;
    std::size_t zerosAt = 0;  // where `zeros` more zeros go into the body
    std::size_t zeros = 0;
};

// The text of `value` for a directive whose precision is resolved (-1: none).
void FormatFloat(const Directive& d, double value, FloatText& text) noexcept;

// %.0f to %.3f, the common case, for a value below 2^53 in magnitude: the
// sign and the digits at `out`, which has room for kFixedMost; returns the end.
constexpr std::size_t kFixedMost = 24;
bool FitsFixed(double value, int precision) noexcept;
char* PutFixed(char* out, double value, int precision) noexcept;

template <class Out>
void EmitFloat(Sink<Out>& sink, const Directive& d, double value) noexcept {
    FloatText t;
    FormatFloat(d, value, t);
    if (t.zeros == 0 && d.width <= 0)  // no padding: the prefix and the body as they are
        return sink.Put(t.prefix, t.prefixLength), sink.Put(t.body, t.length);
    EmitField(sink, d, t.prefix, t.prefixLength, t.zeroPad, t.length + t.zeros, [&] {
        sink.Put(t.body, t.zerosAt);
        sink.Fill('0', t.zeros);
        sink.Put(t.body + t.zerosAt, t.length - t.zerosAt);
    });
}

}  // namespace vzv::printf_walker
