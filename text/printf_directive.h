// One printf directive, read as the Universal C Runtime's format check reads
// it: the check and the walker share this parser, so the walker formats
// exactly the formats that the runtime accepts.
#pragma once

#include <climits>
#include <cstdint>
#include <type_traits>

namespace vzv::printf_walker {

enum class Size : unsigned char { None, hh, h, l, ll, j, z, t, L, I, I32, I64, w, T };

struct Directive {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    // '*' takes an argument; digits after it still set the value, as in the
    // runtime. -1: no digits (and for the precision, no '.' either).
    bool widthArg = false, precisionArg = false;
    int width = -1;
    int precision = -1;
    Size size = Size::None;
    char conv = 0;                                // '%' for "%%"
};

template <class Ch>
std::uint32_t Code(Ch c) noexcept {
    return static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Ch>>(c));
}

template <class Ch>
bool IsDigit(Ch c) noexcept {
    return c >= '0' && c <= '9';
}

inline bool IsIntegerConversion(char c) noexcept {
    return c == 'd' || c == 'i' || c == 'o' || c == 'u' || c == 'x' || c == 'X';
}

// A number of the format; false beyond INT_MAX, which the runtime refuses.
template <class Ch>
bool ReadNumber(const Ch*& p, int& value) noexcept {
    long long n = 0;
    for (; IsDigit(*p); ++p) {
        n = n * 10 + (*p - '0');
        if (n > INT_MAX) return false;
    }
    value = static_cast<int>(n);
    return true;
}

// Reads the size prefixes. As in the runtime, only one may be given, except
// that an I followed by no 32, 64 or integer conversion sets none, and F is
// the conversion %F after any prefix. False for N or a second prefix.
template <class Ch>
bool ReadSize(const Ch*& p, Size& size) noexcept {
    for (;; ++p) {
        const std::uint32_t c = Code(*p);
        switch (c) {
        case 'h': case 'l': case 'I': case 'L': case 'j': case 'z': case 't': case 'w': case 'T':
            if (size != Size::None) return false;
            break;
        case 'N': return false;
        default: return true;  // also F, the conversion
        }
        switch (c) {
        case 'h': size = p[1] == 'h' ? (++p, Size::hh) : Size::h; break;
        case 'l': size = p[1] == 'l' ? (++p, Size::ll) : Size::l; break;
        case 'L': size = Size::L; break;
        case 'j': size = Size::j; break;
        case 'z': size = Size::z; break;
        case 't': size = Size::t; break;
        case 'w': size = Size::w; break;
        case 'T': size = Size::T; break;
        default:  // 'I'
            if (p[1] == '3' && p[2] == '2') p += 2, size = Size::I32;
            else if (p[1] == '6' && p[2] == '4') p += 2, size = Size::I64;
            else if (Code(p[1]) < 0x80 && IsIntegerConversion(static_cast<char>(p[1]))) size = Size::I;
            break;
        }
    }
}

// Reads the directive after a '%'; returns what follows it, or null when the
// runtime would refuse the format.
template <class Ch>
const Ch* ParseDirective(const Ch* p, Directive& d) noexcept {
    if (*p == '%') {
        d.conv = '%';
        return p + 1;
    }
    for (; Code(*p) <= '0'; ++p) {  // every flag sorts at or before '0'
        if (*p == '-') d.left = true;
        else if (*p == '+') d.plus = true;
        else if (*p == ' ') d.space = true;
        else if (*p == '#') d.alt = true;
        else if (*p == '0') d.zero = true;
        else break;
    }
    if (*p == '*') d.widthArg = true, ++p;
    if (IsDigit(*p) && !ReadNumber(p, d.width)) return nullptr;
    if (*p == '.') {
        if (*++p == '*') d.precisionArg = true, ++p;
        else d.precision = 0;
        if (IsDigit(*p) && !ReadNumber(p, d.precision)) return nullptr;
    }
    if (!ReadSize(p, d.size)) return nullptr;
    switch (Code(*p)) {
    case 'd': case 'i': case 'o': case 'u': case 'x': case 'X':
        if (d.size == Size::L || d.size == Size::w || d.size == Size::T) return nullptr;
        break;
    case 'c': case 'C': case 's': case 'S': case 'Z': case 'p':
    case 'a': case 'A': case 'e': case 'E': case 'f': case 'F': case 'g': case 'G':
        break;
    default:  // also n: the runtime writes no counts
        return nullptr;
    }
    d.conv = static_cast<char>(*p);
    return p + 1;
}

}  // namespace vzv::printf_walker
