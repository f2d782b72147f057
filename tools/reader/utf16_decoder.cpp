#include "utf16_decoder.h"

namespace vzv::reader {

namespace {
constexpr std::uint32_t kReplacement = 0xFFFD;
bool IsHigh(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
}  // namespace

void Utf16Decoder::Decode(const char* bytes, std::size_t size, std::string& out) {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* end = in + size;
    if (m_haveByte && in != end) {
        m_haveByte = false;
        Unit(static_cast<std::uint16_t>(m_byte | *in++ << 8), out);
    }
    for (; end - in >= 2; in += 2) {
        const auto unit = static_cast<std::uint16_t>(in[0] | in[1] << 8);
        // Most of a log is ASCII: skip the general path for it.
        if (unit < 0x80 && unit != 0 && m_high == 0) {
            out.push_back(static_cast<char>(unit));
            m_atStart = false;
        } else {
            Unit(unit, out);
        }
    }
    if (in != end) {
        m_haveByte = true;
        m_byte = *in;
    }
}

void Utf16Decoder::Finish(std::string& out) {
    if (m_high != 0) {
        m_high = 0;
        ++m_faults.replaced;
        Put(kReplacement, out);
    }
    if (m_haveByte) {
        m_haveByte = false;
        m_faults.oddByte = true;
    }
}

void Utf16Decoder::Unit(std::uint16_t unit, std::string& out) {
    const bool atStart = m_atStart;
    m_atStart = false;
    if (m_high != 0) {
        const std::uint32_t high = m_high;
        m_high = 0;
        if (IsLow(unit)) {
            Put(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00u), out);
            return;
        }
        ++m_faults.replaced;
        Put(kReplacement, out);
    }
    if (IsHigh(unit)) {
        m_high = unit;
    } else if (IsLow(unit)) {
        ++m_faults.replaced;
        Put(kReplacement, out);
    } else if (unit == 0) {
        // The writer never writes NUL; a run of them is space a crash left unwritten.
        ++m_faults.nuls;
    } else if (!(unit == 0xFEFF && atStart)) {
        Put(unit, out);
    }
}

void Utf16Decoder::Put(std::uint32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | c >> 18));
        out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace vzv::reader
