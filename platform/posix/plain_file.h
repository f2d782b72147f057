// The guard shared by every POSIX primitive that writes, creates or reads a
// log file by name: the last component is never followed.
#pragma once

#include <sys/stat.h>

namespace vzv::platform {

// True for what the library may write, move or remove: a regular file with a
// single link (a second link could be a name for someone else's file).
inline bool IsPlainStatus(const struct stat& status) noexcept {
    return S_ISREG(status.st_mode) && status.st_nlink == 1;
}

// open(2) with O_NOFOLLOW, O_CLOEXEC and O_NONBLOCK added (O_CREAT creates
// with mode 0644), then fstat on the descriptor: anything but a regular file
// (with a single link, when `singleLink`) is closed again, and the rest
// made blocking. -1 with errno set on failure or refusal; ELOOP for a link,
// EISDIR, EMLINK or EINVAL for what is refused.
int OpenRegularFile(const char* native, int flags, bool singleLink) noexcept;
// open(2) with O_NOFOLLOW and O_CLOEXEC added (O_CREAT creates with mode
// 0644), then fstat on the descriptor: anything but a plain file is closed
// again. -1 with errno set on failure or refusal.
int OpenPlainFile(const char* native, int flags) noexcept;
// The same for a UTF-16 path; -1 also when memory runs out.
int OpenPlainFile(const char16_t* path, int flags) noexcept;

}  // namespace vzv::platform
