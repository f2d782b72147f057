// UTF-16 paths as the UTF-8 that POSIX calls take.
#pragma once

#include <string>

namespace vzv::platform {

// A backslash becomes a slash, so that Windows-style paths work unchanged;
// an unpaired surrogate becomes U+FFFD.
std::string ToNativePath(const char16_t* path);

// Runs `call` on the native form of `path`; false when memory runs out.
template <typename Call>
bool WithNative(const char16_t* path, Call call) noexcept {
    try {
        return call(ToNativePath(path).c_str());
    } catch (...) {
        return false;
    }
}

}  // namespace vzv::platform
