#include "shown_text.h"

#include "text/utf8.h"

#include <type_traits>

namespace vzv::reader {

std::string DisplayName(const std::filesystem::path& path) {
    const auto& native = path.native();
    if constexpr (std::is_same_v<std::filesystem::path::value_type, char>)
        return Utf16ToUtf8(Utf8ToUtf16Lenient(native));
    else
        return Utf16ToUtf8(std::u16string(native.begin(), native.end()));
}

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
