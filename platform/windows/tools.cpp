#include "platform/tools.h"

#include "platform/windows/plain_file.h"
#include "platform/windows/win32.h"
#include "text/utf8.h"

#include <shellapi.h>

#include <memory>

namespace vzv::platform {

namespace fs = std::filesystem;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE Handle(std::intptr_t handle) noexcept { return reinterpret_cast<HANDLE>(handle); }
std::intptr_t Keep(HANDLE handle) noexcept { return reinterpret_cast<std::intptr_t>(handle); }
const char16_t* Name(const fs::path& path) noexcept { return Utf16(path.c_str()); }

OpenResult Refusal() noexcept {
    switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return OpenResult::Missing;
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_TOO_MANY_LINKS: return OpenResult::NotPlain;
    default: return OpenResult::Failed;
    }
}

bool WriteAll(HANDLE file, std::string_view bytes) noexcept {
    while (!bytes.empty()) {
        const DWORD want = static_cast<DWORD>(bytes.size() < 0x40000000u ? bytes.size() : 0x40000000u);
        DWORD put = 0;
        if (!::WriteFile(file, bytes.data(), want, &put, nullptr) || put == 0) return false;
        bytes.remove_prefix(put);
    }
    return true;
}

}  // namespace

FileStatus LookAt(const fs::path& path) noexcept {
    FileStatus status;
    // No access asked and every sharing allowed: the writer may rename or
    // remove the file meanwhile. A link is looked at itself.
    const HANDLE h = ::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        status.kind = Refusal() == OpenResult::Missing ? OpenResult::Missing : OpenResult::Failed;
        return status;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(h, &info) != 0;
    const bool disk = ::GetFileType(h) == FILE_TYPE_DISK;
    ::CloseHandle(h);
    if (!ok) {
        status.kind = OpenResult::Failed;
        return status;
    }
    const DWORD notPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    status.kind = disk && !(info.dwFileAttributes & notPlain) ? OpenResult::Opened : OpenResult::NotPlain;
    status.identity.volume = info.dwVolumeSerialNumber;
    status.identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    status.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    status.modified = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
        info.ftLastWriteTime.dwLowDateTime);
    return status;
}

void ToolFile::Close() noexcept {
    if (m_handle != -1) ::CloseHandle(Handle(m_handle));
    m_handle = -1;
}

std::uint64_t ToolFile::Size() const noexcept {
    LARGE_INTEGER size{};
    return m_handle != -1 && GetFileSizeEx(Handle(m_handle), &size)
               ? static_cast<std::uint64_t>(size.QuadPart)
               : 0;
}

OpenResult SharedFile::Open(const fs::path& path) noexcept {
    Close();
    const HANDLE h = OpenRegularFile(Name(path), GENERIC_READ, kShareAll, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, false);
    if (h == INVALID_HANDLE_VALUE) return Refusal();
    m_handle = Keep(h);
    return OpenResult::Opened;
}

bool SharedFile::Identity(FileIdentity& identity) const noexcept {
    BY_HANDLE_FILE_INFORMATION info{};
    if (m_handle == -1 || !::GetFileInformationByHandle(Handle(m_handle), &info)) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool SharedFile::Seek(std::uint64_t offset) noexcept {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    return m_handle != -1 && SetFilePointerEx(Handle(m_handle), to, nullptr, FILE_BEGIN);
}

std::size_t SharedFile::Read(char* buffer, std::size_t size) noexcept {
    DWORD got = 0;
    const auto want = static_cast<DWORD>(size < 0x40000000u ? size : 0x40000000u);
    if (m_handle == -1 || !ReadFile(Handle(m_handle), buffer, want, &got, nullptr)) return 0;
    return got;
}

OpenResult AppendFile::Open(const fs::path& path) noexcept {
    Close();
    // Appending access only: every write lands at the end.
    const HANDLE h = OpenPlainFile(Name(path), FILE_APPEND_DATA | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) return Refusal();
    m_handle = Keep(h);
    return OpenResult::Opened;
}

bool AppendFile::Write(std::string_view bytes) noexcept {
    return m_handle != -1 && WriteAll(Handle(m_handle), bytes);
}

bool AppendFile::Sync() noexcept {
    return m_handle != -1 && ::FlushFileBuffers(Handle(m_handle)) != 0;
}

bool ReplaceFileContents(const fs::path& path, std::string_view bytes) noexcept {
    try {
        fs::path temporary = path;
        temporary += ".tmp";
        const auto create = [&] {
            return OpenPlainFile(Name(temporary), GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
        };
        HANDLE h = create();
        // Left by a crash, or planted: only the name goes, never what a link names.
        if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS &&
            ::DeleteFileW(temporary.c_str()))
            h = create();
        if (h == INVALID_HANDLE_VALUE) return false;
        const bool written = WriteAll(h, bytes) && ::FlushFileBuffers(h);
        ::CloseHandle(h);
        // A link at `path` is replaced as a name; write-through stands in for
        // syncing the folder.
        if (written && ::MoveFileExW(temporary.c_str(), path.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        ::DeleteFileW(temporary.c_str());
        return false;
    } catch (...) {
        return false;
    }
}

bool MoveReplacing(const fs::path& from, const fs::path& to) noexcept {
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

FolderWatch::FolderWatch(const fs::path& folder) noexcept {
    const HANDLE h = ::FindFirstChangeNotificationW(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (h != INVALID_HANDLE_VALUE) m_handle = Keep(h);
}

FolderWatch::~FolderWatch() {
    if (m_handle != -1) ::FindCloseChangeNotification(Handle(m_handle));
}

FolderWatch::Change FolderWatch::Take(std::vector<fs::path>&) noexcept {
    // The notification does not say which files changed.
    if (m_handle == -1) return Change::Any;
    if (::WaitForSingleObject(Handle(m_handle), 0) != WAIT_OBJECT_0) return Change::None;
    if (!::FindNextChangeNotification(Handle(m_handle))) {
        ::FindCloseChangeNotification(Handle(m_handle));
        m_handle = -1;  // look every time from now on
    }
    return Change::Any;
}

bool StandardOutputIsTerminal() noexcept {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::vector<std::string> CommandLineArguments(int, char**) {
    // The narrow arguments are in the ANSI code page: the UTF-16 command line
    // names any path.
    int count = 0;
    wchar_t** const wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const std::unique_ptr<wchar_t*, decltype(&::LocalFree)> owned(wide, &::LocalFree);
    std::vector<std::string> args;
    for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(Utf16ToUtf8(Utf16(wide[i])));
    return args;
}

}  // namespace vzv::platform
