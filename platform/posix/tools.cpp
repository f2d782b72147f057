#include "platform/tools.h"

#include "platform/platform.h"
#include "platform/posix/plain_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace vzv::platform {

namespace fs = std::filesystem;

namespace {

int Fd(std::intptr_t handle) noexcept { return static_cast<int>(handle); }

OpenResult Refusal() noexcept {
    switch (errno) {
    case ENOENT:
    case ENOTDIR: return OpenResult::Missing;
    case ELOOP:
    case EISDIR:
    case EMLINK:
    case EINVAL:
    case ENXIO:  // a FIFO without a writer, opened for writing
        return OpenResult::NotPlain;
    default: return OpenResult::Failed;
    }
}

void FillStatus(const struct stat& st, FileStatus& status) noexcept {
    status.identity.volume = static_cast<std::uint64_t>(st.st_dev);
    status.identity.index = static_cast<std::uint64_t>(st.st_ino);
    status.size = static_cast<std::uint64_t>(st.st_size);
    status.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool WriteAll(int fd, std::string_view bytes) noexcept {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

FileStatus LookAt(const fs::path& path) noexcept {
    FileStatus status;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        status.kind = errno == ENOENT || errno == ENOTDIR ? OpenResult::Missing : OpenResult::Failed;
        return status;
    }
    status.kind = S_ISREG(st.st_mode) ? OpenResult::Opened : OpenResult::NotPlain;
    FillStatus(st, status);
    return status;
}

OpenResult SharedFile::Open(const fs::path& path) noexcept {
    Close();
    m_handle = OpenRegularFile(path.c_str(), O_RDONLY, false);
    return m_handle >= 0 ? OpenResult::Opened : Refusal();
}

void ToolFile::Close() noexcept {
    if (m_handle >= 0) ::close(Fd(m_handle));
    m_handle = -1;
}

std::uint64_t ToolFile::Size() const noexcept {
    const std::int64_t size = m_handle >= 0 ? FileSize(m_handle) : -1;
    return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

bool SharedFile::Identity(FileIdentity& identity) const noexcept {
    struct stat st {};
    if (m_handle < 0 || ::fstat(Fd(m_handle), &st) != 0) return false;
    FileStatus status;
    FillStatus(st, status);
    identity = status.identity;
    return true;
}

bool SharedFile::Seek(std::uint64_t offset) noexcept {
    return m_handle >= 0 && ::lseek(Fd(m_handle), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::size_t SharedFile::Read(char* buffer, std::size_t size) noexcept {
    if (m_handle < 0) return 0;
    ssize_t got;
    do {
        got = ::read(Fd(m_handle), buffer, size);
    } while (got < 0 && errno == EINTR);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

OpenResult AppendFile::Open(const fs::path& path) noexcept {
    Close();
    m_handle = OpenPlainFile(path.c_str(), O_WRONLY | O_CREAT | O_APPEND);
    return m_handle >= 0 ? OpenResult::Opened : Refusal();
}

bool AppendFile::Write(std::string_view bytes) noexcept {
    return m_handle >= 0 && WriteAll(Fd(m_handle), bytes);
}

bool AppendFile::Sync() noexcept { return m_handle >= 0 && ::fsync(Fd(m_handle)) == 0; }

bool ReplaceFileContents(const fs::path& path, std::string_view bytes) noexcept {
    try {
        fs::path temporary = path;
        temporary += ".tmp";
        const int flags = O_WRONLY | O_CREAT | O_EXCL;
        int fd = OpenPlainFile(temporary.c_str(), flags);
        // Left by a crash, or planted: only the name goes, never what a link names.
        if (fd < 0 && errno == EEXIST && ::unlink(temporary.c_str()) == 0)
            fd = OpenPlainFile(temporary.c_str(), flags);
        if (fd < 0) return false;
        const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
        if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
        const int dir = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool synced = dir >= 0 && ::fsync(dir) == 0;
        if (dir >= 0) ::close(dir);
        return synced;
    } catch (...) {
        return false;
    }
}

bool MoveReplacing(const fs::path& from, const fs::path& to) noexcept {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

FolderWatch::FolderWatch([[maybe_unused]] const fs::path& folder) noexcept {
#ifdef __linux__
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB |
                                      IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO |
                                      IN_DELETE_SELF | IN_MOVE_SELF;
    if (fd >= 0 && ::inotify_add_watch(fd, folder.c_str(), kEvents) >= 0)
        m_handle = fd;
    else if (fd >= 0)
        ::close(fd);
#endif
}

FolderWatch::~FolderWatch() {
    if (m_handle >= 0) ::close(Fd(m_handle));
}

FolderWatch::Change FolderWatch::Take([[maybe_unused]] std::vector<fs::path>& names) noexcept {
#ifdef __linux__
    if (m_handle < 0) return Change::Any;
    alignas(inotify_event) char events[16 * 1024];
    Change change = Change::None;
    try {
        for (ssize_t n; (n = ::read(Fd(m_handle), events, sizeof events)) != 0;) {
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno == EAGAIN ? change : Change::Any;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                constexpr std::uint32_t kContent = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE;
                if ((event->mask & ~(kContent | IN_ISDIR)) != 0 || event->len == 0) {
                    change = Change::Any;  // a name came or went, or the queue overflowed
                } else if (change != Change::Any) {
                    change = Change::Files;
                    names.emplace_back(event->name);
                }
            }
        }
    } catch (...) {
        return Change::Any;
    }
    return change;
#else
    return Change::Any;
#endif
}

bool StandardOutputIsTerminal() noexcept { return ::isatty(STDOUT_FILENO) == 1; }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace vzv::platform
