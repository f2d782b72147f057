#include "platform/file_identity.h"
#include "platform/posix/path_encoding.h"

#include <stdio.h>
#include <sys/stat.h>

namespace vzv::platform {

bool GetFileIdentity(const char16_t* path, FileIdentity& identity) noexcept {
    try {
        struct stat st {};
        if (::stat(ToNativePath(path).c_str(), &st) != 0) return false;
        identity.volume = static_cast<std::uint64_t>(st.st_dev);
        identity.index = static_cast<std::uint64_t>(st.st_ino);
        return true;
    } catch (...) {
        return false;
    }
}

bool MoveReplacing(const char16_t* from, const char16_t* to) noexcept {
    try {
        return ::rename(ToNativePath(from).c_str(), ToNativePath(to).c_str()) == 0;
    } catch (...) {
        return false;
    }
}

}  // namespace vzv::platform
