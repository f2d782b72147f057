// Integer and pointer conversions, as the Universal C Runtime prints them.
#pragma once

#include "text/printf_output.h"

#include <charconv>
#include <cstdint>
#include <cstddef>
#include <type_traits>

namespace vzv::printf_walker {

// The runtime reads hh as a char and h as a short; l, j, z, t and I are the
// caller's own types.
inline long long ReadSigned(Args& a, Size size) noexcept {
    switch (size) {
    case Size::hh: return static_cast<signed char>(va_arg(a.ap, int));
    case Size::h: return static_cast<short>(va_arg(a.ap, int));
    case Size::l: return va_arg(a.ap, long);
    case Size::ll: return va_arg(a.ap, long long);
    case Size::j: return va_arg(a.ap, std::intmax_t);
    case Size::z: return va_arg(a.ap, std::make_signed_t<std::size_t>);
    case Size::t: return va_arg(a.ap, std::ptrdiff_t);
    case Size::I: return va_arg(a.ap, std::intptr_t);
    case Size::I32: return va_arg(a.ap, std::int32_t);
    case Size::I64: return va_arg(a.ap, std::int64_t);
    default: return va_arg(a.ap, int);
    }
}

inline unsigned long long ReadUnsigned(Args& a, Size size) noexcept {
    switch (size) {
    case Size::hh: return static_cast<unsigned char>(va_arg(a.ap, unsigned int));
    case Size::h: return static_cast<unsigned short>(va_arg(a.ap, unsigned int));
    case Size::l: return va_arg(a.ap, unsigned long);
    case Size::ll: return va_arg(a.ap, unsigned long long);
    case Size::j: return va_arg(a.ap, std::uintmax_t);
    case Size::z: return va_arg(a.ap, std::size_t);
    case Size::t: return static_cast<std::make_unsigned_t<std::ptrdiff_t>>(va_arg(a.ap, std::ptrdiff_t));
    case Size::I: return va_arg(a.ap, std::uintptr_t);
    case Size::I32: return va_arg(a.ap, std::uint32_t);
    case Size::I64: return va_arg(a.ap, std::uint64_t);
    default: return va_arg(a.ap, unsigned int);
    }
}

// The runtime caps an integer's precision here.
constexpr int kMaxIntegerPrecision = 512;

// `value` in `base` with at least `precision` digits (none for a zero with
// precision 0) after the prefix.
template <class Out>
void EmitDigits(Sink<Out>& sink, const Directive& d, unsigned long long value, int base, bool upper,
                const char* prefix, std::size_t prefixLength, int precision, bool zeroPad) noexcept {
    char digits[24];
    const std::size_t n = value == 0 ? 0 : static_cast<std::size_t>(
                                               std::to_chars(digits, digits + sizeof digits, value, base).ptr - digits);
    if (upper)
        for (std::size_t i = 0; i < n; ++i)
            if (digits[i] >= 'a') digits[i] = static_cast<char>(digits[i] - 'a' + 'A');
    std::size_t zeros = static_cast<std::size_t>(precision) > n ? static_cast<std::size_t>(precision) - n : 0;
    if (d.alt && base == 8 && zeros == 0) zeros = 1;  // '#': the first digit is a zero
    EmitField(sink, d, prefix, prefixLength, zeroPad, zeros + n, [&] {
        sink.Fill('0', zeros);
        sink.Put(digits, n);
    });
}

// A bare %d %i %u or %x: the digits of an int-sized value, and its sign.
template <int kBase, class Out, class Integer>
void PutNumber(Sink<Out>& sink, Integer value) noexcept {
    sink.template PutAscii<11>([=](char* at) { return std::to_chars(at, at + 11, value, kBase).ptr; });
}

template <class Out>
void FormatInteger(Sink<Out>& sink, const Directive& d, Args& a) noexcept {
    char prefix[2];
    std::size_t prefixLength = 0;
    unsigned long long magnitude;
    if (d.conv == 'd' || d.conv == 'i') {
        const long long v = ReadSigned(a, d.size);
        magnitude = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        if (v < 0) prefix[prefixLength++] = '-';
        else if (d.plus) prefix[prefixLength++] = '+';
        else if (d.space) prefix[prefixLength++] = ' ';
    } else {
        magnitude = ReadUnsigned(a, d.size);
    }
    const int base = d.conv == 'o' ? 8 : d.conv == 'x' || d.conv == 'X' ? 16 : 10;
    if (d.alt && base == 16 && magnitude != 0) {
        prefix[0] = '0';
        prefix[1] = d.conv;
        prefixLength = 2;
    }
    // A precision turns the 0 flag off.
    const int precision = d.precision < 0 ? 1 : d.precision < kMaxIntegerPrecision ? d.precision
                                                                                : kMaxIntegerPrecision;
    EmitDigits(sink, d, magnitude, base, d.conv == 'X', prefix, prefixLength, precision,
               d.zero && d.precision < 0);
}

// Every hex digit of the pointer, upper case, never a prefix: the runtime
// forces the precision, so the 0 flag and '#' do nothing.
template <class Out>
void FormatPointer(Sink<Out>& sink, const Directive& d, Args& a) noexcept {
    const auto value = reinterpret_cast<std::uintptr_t>(va_arg(a.ap, void*));
    EmitDigits(sink, d, value, 16, true, "", 0, 2 * sizeof(void*), false);
}

}  // namespace vzv::printf_walker
