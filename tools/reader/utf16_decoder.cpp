#include "utf16_decoder.h"

#include "text/utf8.h"

namespace vzv::reader {

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
        AppendUtf8(out, kReplacementCharacter);
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
        if (IsLowSurrogate(unit)) {
            AppendUtf8(out, CombineSurrogates(high, unit));
            return;
        }
        ++m_faults.replaced;
        AppendUtf8(out, kReplacementCharacter);
    }
    if (IsHighSurrogate(unit)) {
        m_high = unit;
    } else if (IsLowSurrogate(unit)) {
        ++m_faults.replaced;
        AppendUtf8(out, kReplacementCharacter);
    } else if (unit == 0) {
        // The writer never writes NUL; a run of them is space a crash left unwritten.
        ++m_faults.nuls;
    } else if (!(unit == 0xFEFF && atStart)) {
        AppendUtf8(out, unit);
    }
}

}  // namespace vzv::reader
