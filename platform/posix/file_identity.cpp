#include "platform/file_identity.h"
#include "platform/posix/path_encoding.h"

#include <stdio.h>
#include <sys/stat.h>

namespace vzv::platform {

bool GetFileIdentity(const char16_t* path, FileIdentity& identity) noexcept {
    struct stat st {};
    if (!WithNative(path, [&](const char* native) { return ::stat(native, &st) == 0; }))
        return false;
    identity.volume = static_cast<std::uint64_t>(st.st_dev);
    identity.index = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

bool MoveReplacing(const char16_t* from, const char16_t* to) noexcept {
    return WithNative(from, [to](const char* source) {
        return WithNative(to, [source](const char* target) { return ::rename(source, target) == 0; });
    });
}

}  // namespace vzv::platform
