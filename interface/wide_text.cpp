#include "interface/wide_text.h"

#include "platform/platform.h"

#include <mutex>

namespace vzv {

std::u16string ToUtf16(const wchar_t* text) {
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        return std::u16string(reinterpret_cast<const char16_t*>(text));
    } else {
        std::u16string out;
        for (; *text; ++text) {
            const auto c = static_cast<char32_t>(*text);
            if (c >= 0x10000 && c <= 0x10FFFF) {
                out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
                out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                out += static_cast<char16_t>(c <= 0xFFFF ? c : 0xFFFD);
            }
        }
        return out;
    }
}

std::wstring ToWide(const std::u16string& text) {
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        return std::wstring(text.begin(), text.end());
    } else {
        std::wstring out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            }
            out += static_cast<wchar_t>(c);
        }
        return out;
    }
}

const wchar_t* PublishPath(const char16_t* path) {
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        return reinterpret_cast<const wchar_t*>(path);
    } else {
        // In the OS's own form, and reassigned only when the path changed,
        // so earlier pointers stay valid as long as the path does.
        static std::mutex mutex;
        static std::wstring published;
        const std::lock_guard<std::mutex> lock(mutex);
        std::wstring current = ToWide(platform::NativePathText(path));
        if (current != published) published = std::move(current);
        return published.c_str();
    }
}

}  // namespace vzv
