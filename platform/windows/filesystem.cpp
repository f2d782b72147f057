#include "platform/platform.h"
#include "platform/windows/plain_file.h"
#include "platform/windows/win32.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <direct.h>
#include <io.h>
#include <memory>
#include <stdio.h>
#include <string>
#include <sys/stat.h>

namespace vzv::platform {

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const noexcept {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Deny-none sharing, as the runtime's _SH_DENYNO streams open files.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

UniqueHandle Open(const char16_t* path, DWORD access, DWORD disposition, DWORD flags) noexcept {
    return UniqueHandle(
        ::CreateFileW(Wide(path), access, kShareAll, nullptr, disposition, flags, nullptr));
}

UniqueHandle OpenPlain(const char16_t* path, DWORD access, DWORD disposition) noexcept {
    return UniqueHandle(OpenPlainFile(path, access, kShareAll, disposition, FILE_ATTRIBUTE_NORMAL));
}

bool Valid(const UniqueHandle& h) noexcept { return h.get() != INVALID_HANDLE_VALUE; }

// The NT form of a path, which FileRenameInfo needs for a full name (wine
// takes a bare name relative to the current directory, not the file's).
bool NtPath(const char16_t* path, std::wstring& nt) {
    const DWORD size = ::GetFullPathNameW(Wide(path), 0, nullptr, nullptr);
    if (size == 0) return false;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(Wide(path), size, full.data(), nullptr);
    if (length == 0 || length >= size) return false;
    full.resize(length);
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0)
        nt = L"\\??\\" + full.substr(4);
    else if (full.rfind(L"\\\\", 0) == 0)
        nt = L"\\??\\UNC\\" + full.substr(2);
    else
        nt = L"\\??\\" + full;
    return true;
}

}  // namespace

bool PathExists(const char16_t* path) noexcept { return ::_waccess(Wide(path), 0) == 0; }

bool MakeDirectory(const char16_t* path) noexcept { return ::_wmkdir(Wide(path)) == 0; }

bool IsDirectory(const char16_t* path) noexcept {
    struct _stat64i32 status {};
    return PathExists(path) && ::_wstat64i32(Wide(path), &status) == 0 &&
           (status.st_mode & _S_IFDIR) != 0;
}

bool IsPlainFile(const char16_t* path) noexcept {
    return Valid(OpenPlain(path, 0, OPEN_EXISTING));
}

// Removal and renaming go through the handle that was checked, so the name
// cannot be swapped for a link in between. Sharing as DeleteFileW and
// MoveFileW open the file: a file held without delete sharing stays.
bool RemoveFile(const char16_t* path) noexcept {
    const UniqueHandle file = OpenPlain(path, DELETE, OPEN_EXISTING);
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return Valid(file) && ::SetFileInformationByHandle(file.get(), FileDispositionInfo,
                                                       &disposition, sizeof disposition);
}

bool RenameFile(const char16_t* from, const char16_t* to) noexcept {
    std::wstring target;
    try {
        if (!NtPath(to, target)) return false;
    } catch (...) {
        return false;
    }
    const UniqueHandle file = OpenPlain(from, DELETE | SYNCHRONIZE, OPEN_EXISTING);
    if (!Valid(file)) return false;
    const DWORD nameBytes = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    // FILE_RENAME_INFO ends in the name; the buffer is aligned for the struct.
    const std::size_t size = offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t);
    const std::unique_ptr<FILE_RENAME_INFO, decltype(&std::free)> info(
        static_cast<FILE_RENAME_INFO*>(std::calloc(1, size)), &std::free);
    if (!info) return false;
    info->ReplaceIfExists = FALSE;  // as _wrename: an existing target stays
    info->RootDirectory = nullptr;
    info->FileNameLength = nameBytes;
    std::memcpy(info->FileName, target.data(), nameBytes);
    return ::SetFileInformationByHandle(file.get(), FileRenameInfo, info.get(),
                                        static_cast<DWORD>(size)) != FALSE;
}

bool PlaceFile(const char16_t* from, const char16_t* to) noexcept { return RenameFile(from, to); }

bool IsSameFile(const char16_t* a, const char16_t* b) noexcept {
    // Backup semantics lets the query open directories too; no access right
    // is needed for the identity. A link is compared as itself.
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    const UniqueHandle ha = Open(a, 0, OPEN_EXISTING, flags);
    const UniqueHandle hb = Open(b, 0, OPEN_EXISTING, flags);
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    return Valid(ha) && Valid(hb) && ::GetFileInformationByHandle(ha.get(), &ia) &&
           ::GetFileInformationByHandle(hb.get(), &ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool CreateEmptyFile(const char16_t* path) noexcept {
    return Valid(OpenPlain(path, GENERIC_WRITE, OPEN_ALWAYS));
}

bool CopyFileContents(const char16_t* from, const char16_t* to) noexcept {
    // The source is opened first so that an unreadable source leaves the
    // target untouched.
    const UniqueHandle source = OpenPlain(from, GENERIC_READ, OPEN_EXISTING);
    if (!Valid(source)) return false;
    const UniqueHandle target = OpenPlain(to, GENERIC_WRITE, CREATE_ALWAYS);
    if (!Valid(target)) return false;
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(source.get(), buffer, sizeof buffer, &got, nullptr)) return false;
        if (got == 0) return true;
        DWORD put = 0;
        if (!::WriteFile(target.get(), buffer, got, &put, nullptr) || put != got) return false;
    }
}

bool ReadFileTail(const char16_t* path, void* out, std::size_t size) noexcept {
    const UniqueHandle file = OpenPlain(path, GENERIC_READ, OPEN_EXISTING);
    LARGE_INTEGER length{};
    if (!Valid(file) || !::GetFileSizeEx(file.get(), &length) ||
        length.QuadPart < static_cast<LONGLONG>(size))
        return false;
    LARGE_INTEGER start{};
    start.QuadPart = length.QuadPart - static_cast<LONGLONG>(size);
    DWORD got = 0;
    return ::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) &&
           ::ReadFile(file.get(), out, static_cast<DWORD>(size), &got, nullptr) && got == size;
}

std::u16string CurrentDirectory() {
    const std::unique_ptr<wchar_t, decltype(&std::free)> cwd(::_wgetcwd(nullptr, 0), &std::free);
    return cwd ? std::u16string(Utf16(cwd.get())) : std::u16string();
}

bool GetEnvironmentValue(const char16_t* name, std::u16string& value) {
    // The process environment block, which _wdupenv_s also reads; msvcrt's
    // import library lacks that function.
    ::SetLastError(ERROR_SUCCESS);
    DWORD size = ::GetEnvironmentVariableW(Wide(name), nullptr, 0);
    if (size == 0) {
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
        value.clear();
        return true;
    }
    std::u16string buffer(size, u'\0');
    size = ::GetEnvironmentVariableW(Wide(name), reinterpret_cast<wchar_t*>(buffer.data()), size);
    buffer.resize(size);
    value = std::move(buffer);
    return true;
}

std::u16string NativePathText(const char16_t* path) { return path; }

std::u16string UserStateDirectory() { return {}; }

}  // namespace vzv::platform
