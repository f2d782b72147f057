// UTF-16LE bytes to UTF-8, fed in pieces of any size. What the file cannot
// hold as text is repaired and counted so that the caller can warn once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vzv::reader {

class Utf16Decoder {
public:
    struct Faults {
        std::uint64_t replaced = 0;  // unpaired surrogates, now U+FFFD
        std::uint64_t nuls = 0;      // NUL characters, dropped
        bool oddByte = false;        // a last byte without its partner
    };

    // Appends the text of every whole code unit in `bytes` to `out`. A byte
    // or a high surrogate left at the end waits for the next call.
    void Decode(const char* bytes, std::size_t size, std::string& out);
    // The input ended: a waiting surrogate becomes U+FFFD, a waiting byte is dropped.
    void Finish(std::string& out);
    // A new file: faults cleared, a byte order mark expected again.
    void Reset() { *this = Utf16Decoder(); }

    const Faults& faults() const { return m_faults; }

private:
    void Unit(std::uint16_t unit, std::string& out);

    Faults m_faults;
    bool m_atStart = true;  // a byte order mark here is not text
    bool m_haveByte = false;
    unsigned char m_byte = 0;
    std::uint16_t m_high = 0;  // a high surrogate waiting for its low half
};

}  // namespace vzv::reader
