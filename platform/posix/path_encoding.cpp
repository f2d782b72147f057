#include "platform/posix/path_encoding.h"

#include "text/utf8.h"

#include <algorithm>

namespace vzv::platform {

std::string ToNativePath(const char16_t* path) {
    // A backslash is one byte in UTF-8 and part of no longer sequence.
    std::string native = Utf16ToUtf8(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

}  // namespace vzv::platform
