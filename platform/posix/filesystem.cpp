#include "platform/platform.h"
#include "platform/posix/path_encoding.h"
#include "platform/posix/plain_file.h"
#include "text/utf8.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vzv::platform {

namespace {

class UniqueFd {
public:
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    ~UniqueFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const noexcept { return m_fd; }
    void reset(int fd) noexcept {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// The folder of a path, opened (links above the file are followed), and the
// last component, which the *at calls then take as it is.
struct ParentAndName {
    UniqueFd dir{-1};
    std::string name;
};

bool OpenParent(const char16_t* path, ParentAndName& out) noexcept {
    return WithNative(path, [&](const char* p) {
        const std::string native(p);
        const auto slash = native.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
        out.name = slash == std::string::npos ? native : native.substr(slash + 1);
        if (out.name.empty()) return false;
        out.dir.reset(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        return out.dir.get() >= 0;
    });
}

// What the name refers to now, the name itself not followed.
bool IsPlainAt(const ParentAndName& entry) noexcept {
    struct stat status {};
    if (::fstatat(entry.dir.get(), entry.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (IsPlainStatus(status)) return true;
    errno = S_ISLNK(status.st_mode) ? ELOOP : S_ISREG(status.st_mode) ? EMLINK : EINVAL;
    return false;
}

}  // namespace

bool PathExists(const char16_t* path) noexcept {
    return WithNative(path, [](const char* p) { return ::access(p, F_OK) == 0; });
}

bool MakeDirectory(const char16_t* path) noexcept {
    return WithNative(path, [](const char* p) { return ::mkdir(p, 0755) == 0; });
}

bool IsDirectory(const char16_t* path) noexcept {
    return WithNative(path, [](const char* p) {
        struct stat status {};
        return ::stat(p, &status) == 0 && S_ISDIR(status.st_mode);
    });
}

bool IsPlainFile(const char16_t* path) noexcept {
    struct stat status {};
    return WithNative(path, [&](const char* p) { return ::lstat(p, &status) == 0; }) &&
           IsPlainStatus(status);
}

// POSIX cannot remove or rename through a descriptor, so the check and the
// call share one directory descriptor, and the *at calls never follow the
// last component: a name swapped in between loses at most that name, never
// the content of the file a link points to.
bool RemoveFile(const char16_t* path) noexcept {
    ParentAndName entry;
    return OpenParent(path, entry) && IsPlainAt(entry) &&
           ::unlinkat(entry.dir.get(), entry.name.c_str(), 0) == 0;
}

bool RenameFile(const char16_t* from, const char16_t* to) noexcept {
    ParentAndName source, target;
    return OpenParent(from, source) && OpenParent(to, target) && IsPlainAt(source) &&
           ::renameat(source.dir.get(), source.name.c_str(), target.dir.get(),
                      target.name.c_str()) == 0;
}

bool PlaceFile(const char16_t* from, const char16_t* to) noexcept {
    ParentAndName source, target;
    if (!OpenParent(from, source) || !OpenParent(to, target) || !IsPlainAt(source)) return false;
#ifdef RENAME_NOREPLACE
    if (::renameat2(source.dir.get(), source.name.c_str(), target.dir.get(), target.name.c_str(),
                    RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;  // else: not supported there
#endif
    struct stat status {};
    return ::fstatat(target.dir.get(), target.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 &&
           errno == ENOENT &&
           ::renameat(source.dir.get(), source.name.c_str(), target.dir.get(), target.name.c_str()) == 0;
}

bool IsSameFile(const char16_t* a, const char16_t* b) noexcept {
    struct stat sa {}, sb {};
    return WithNative(a, [&](const char* p) { return ::lstat(p, &sa) == 0; }) &&
           WithNative(b, [&](const char* p) { return ::lstat(p, &sb) == 0; }) &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool CreateEmptyFile(const char16_t* path) noexcept {
    return UniqueFd(OpenPlainFile(path, O_WRONLY | O_CREAT)).get() >= 0;
}

bool CopyFileContents(const char16_t* from, const char16_t* to) noexcept {
    // The source is opened first so that an unreadable source leaves the
    // target untouched.
    const UniqueFd source(OpenPlainFile(from, O_RDONLY));
    if (source.get() < 0) return false;
    const UniqueFd target(OpenPlainFile(to, O_WRONLY | O_CREAT));
    if (target.get() < 0 || ::ftruncate(target.get(), 0) != 0) return false;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(source.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got == 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(target.get(), buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            done += put;
        }
    }
}

bool ReadFileTail(const char16_t* path, void* out, std::size_t size) noexcept {
    const UniqueFd file(OpenPlainFile(path, O_RDONLY));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) return false;
    const auto length = static_cast<off_t>(size);
    return status.st_size >= length &&
           ::pread(file.get(), out, size, status.st_size - length) == static_cast<ssize_t>(size);
}

std::u16string CurrentDirectory() {
    const std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    return cwd ? Utf8ToUtf16Lenient(cwd.get()) : std::u16string();
}

bool GetEnvironmentValue(const char16_t* name, std::u16string& value) {
    const char* raw = std::getenv(Utf16ToUtf8(name).c_str());
    if (raw == nullptr) return false;
    value = Utf8ToUtf16Lenient(raw);
    return true;
}

std::u16string NativePathText(const char16_t* path) {
    std::u16string text(path);
    for (char16_t& c : text)
        if (c == u'\\') c = u'/';
    return text;
}

std::u16string UserStateDirectory() {
    std::u16string dir;
    if (GetEnvironmentValue(u"XDG_STATE_HOME", dir) && !dir.empty()) return dir;
    if (GetEnvironmentValue(u"HOME", dir) && !dir.empty()) return dir + u"/.local/state";
    return u"/tmp";
}

}  // namespace vzv::platform
