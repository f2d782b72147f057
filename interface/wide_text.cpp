#include "interface/wide_text.h"

#include "platform/platform.h"
#include "text/utf8.h"

#include <mutex>

namespace vzv {

std::u16string ToUtf16(const wchar_t* text) {
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        return std::u16string(reinterpret_cast<const char16_t*>(text));
    } else {
        std::u16string out;
        for (; *text; ++text) AppendUtf16(out, static_cast<char32_t>(*text));
        return out;
    }
}

std::wstring ToWide(std::u16string_view text) {
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        return std::wstring(text.begin(), text.end());
    } else {
        std::wstring out;
        for (std::size_t at = 0; at < text.size();)
            out += static_cast<wchar_t>(NextCodePoint(text, at));
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
