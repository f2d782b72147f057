// UTF-16 paths and texts to and from the UTF-8 that POSIX calls take.
#pragma once

#include <string>

namespace vzv::platform {

// A backslash becomes a slash, so that Windows-style paths work unchanged;
// an unpaired surrogate becomes U+FFFD.
std::string ToNativePath(const char16_t* path);
// Plain UTF-16 to UTF-8, for texts that are not paths.
std::string ToUtf8(const char16_t* text);
// Lenient: an ill-formed byte becomes U+FFFD.
std::u16string FromUtf8(const char* text);

}  // namespace vzv::platform
