#include "shown_text.h"

#include "text/utf8.h"


namespace vzv::reader {

namespace {
// Bytes (POSIX) or UTF-16 units (Windows), whichever the OS names files in.
[[maybe_unused]] std::string Utf8Of(const std::string& bytes) { return Utf16ToUtf8(Utf8ToUtf16Lenient(bytes)); }
[[maybe_unused]] std::string Utf8Of(const std::wstring& units) {
    return Utf16ToUtf8(std::u16string(units.begin(), units.end()));
}
}  // namespace

std::string DisplayName(const std::filesystem::path& path) { return Utf8Of(path.native()); }

void AppendEscaped(std::string& out, std::string_view text, bool keepTab) {
    static const char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // C1 controls are U+0080 to U+009F: C2 80 to C2 9F.
        const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c1) {
            const auto code = static_cast<unsigned char>(text[++i]);
            out.append("\\u00").append(1, kHex[code >> 4]).append(1, kHex[code & 0xF]);
        } else if ((c < 0x20 && !(c == '\t' && keepTab)) || c == 0x7F) {
            out.append("\\x").append(1, kHex[c >> 4]).append(1, kHex[c & 0xF]);
        } else {
            out += static_cast<char>(c);
        }
    }
}

std::string ShownName(const std::filesystem::path& path) { return ShownText(DisplayName(path)); }

std::string ShownText(std::string_view text) {
    std::string out;
    AppendEscaped(out, Utf16ToUtf8(Utf8ToUtf16Lenient(text)), false);
    return out;
}

}  // namespace vzv::reader
