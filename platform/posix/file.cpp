#include "platform/platform.h"
#include "platform/posix/path_encoding.h"
#include "platform/posix/plain_file.h"
#include "text/decimal.h"
#include "text/utf8.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vzv::platform {

namespace {
int Fd(FileHandle file) noexcept { return static_cast<int>(file); }

void CloseKeepingErrno(int fd) noexcept {
    const int error = errno;
    ::close(fd);
    errno = error;
}
}  // namespace

int OpenRegularFile(const char* native, int flags, bool singleLink) noexcept {
    // Non-blocking for the open only: a FIFO planted at the name must not
    // hang the caller until a reader comes.
    const int fd = ::open(native, flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (fd < 0) return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        CloseKeepingErrno(fd);
        return -1;
    }
    if (!S_ISREG(status.st_mode) || (singleLink && !IsPlainStatus(status))) {
        ::close(fd);
        errno = S_ISDIR(status.st_mode) ? EISDIR : S_ISREG(status.st_mode) ? EMLINK : EINVAL;
        return -1;
    }
    const int statusFlags = ::fcntl(fd, F_GETFL);
    if (statusFlags < 0 || ::fcntl(fd, F_SETFL, statusFlags & ~O_NONBLOCK) != 0) {
        CloseKeepingErrno(fd);
        return -1;
    }
    return fd;
}

int OpenPlainFile(const char* native, int flags) noexcept {
    return OpenRegularFile(native, flags, true);
}

int OpenPlainFile(const char16_t* path, int flags) noexcept {
    int fd = -1;
    errno = ENOMEM;  // stays when the path cannot be converted
    WithNative(path, [&](const char* native) { return (fd = OpenPlainFile(native, flags)) >= 0; });
    return fd;
}

FileHandle OpenFile(const char16_t* path, std::uint32_t access, std::uint32_t share,
                    std::uint32_t disposition, std::uint32_t /*attributes*/) noexcept {
    int flags = (access & kGenericWrite) ? O_WRONLY : O_RDONLY;
    // No O_TRUNC here: a file that another writer holds, or that is not a
    // plain file, must not be emptied before it has been refused.
    if (disposition == kCreateAlways) flags |= O_CREAT;
    const int fd = OpenPlainFile(path, flags);
    if (fd < 0) return kInvalidFile;
    // Read-only sharing: one writer at a time, in this process or another.
    if ((share & 0x2u) == 0 && (access & kGenericWrite) && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error == EWOULDBLOCK ? EBUSY : error;
        return kInvalidFile;
    }
    if (disposition == kCreateAlways && ::ftruncate(fd, 0) != 0) {
        CloseKeepingErrno(fd);
        return kInvalidFile;
    }
    return fd;
}

bool WriteFile(FileHandle file, const void* data, std::uint32_t byteCount) noexcept {
    ssize_t written;
    do {
        written = ::write(Fd(file), data, byteCount);
    } while (written < 0 && errno == EINTR);
    if (written > 0 && static_cast<std::uint32_t>(written) < byteCount) {
        // A full disk took part of the line: take it back, so that the next
        // line written once there is room again does not continue it.
        const int error = errno;
        const off_t end = ::lseek(Fd(file), 0, SEEK_CUR);
        if (end >= written && ::ftruncate(Fd(file), end - written) == 0)
            ::lseek(Fd(file), end - written, SEEK_SET);
        errno = error;
        return false;
    }
    return written >= 0 && static_cast<std::uint32_t>(written) == byteCount;
}

bool SeekToEnd(FileHandle file) noexcept { return ::lseek(Fd(file), 0, SEEK_END) >= 0; }

std::int64_t FileSize(FileHandle file) noexcept {
    struct stat status {};
    return ::fstat(Fd(file), &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

bool CloseFile(FileHandle file) noexcept { return ::close(Fd(file)) == 0; }

std::u16string GetLastErrorText() {
    const int code = errno;
    char buffer[256];
    const char* text = ::strerror_r(code, buffer, sizeof buffer);  // GNU form
    std::u16string result = Utf8ToUtf16Lenient(text) + u" errorcode: ";
    AppendDecimal(result, code);
    return result;
}

}  // namespace vzv::platform
