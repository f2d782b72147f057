#include "platform/platform.h"
#include "platform/windows/win32.h"

#include <cstdlib>
#include <direct.h>
#include <io.h>
#include <memory>
#include <stdio.h>
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

bool Valid(const UniqueHandle& h) noexcept { return h.get() != INVALID_HANDLE_VALUE; }

}  // namespace

bool PathExists(const char16_t* path) noexcept { return ::_waccess(Wide(path), 0) == 0; }

bool MakeDirectory(const char16_t* path) noexcept { return ::_wmkdir(Wide(path)) == 0; }

bool IsDirectory(const char16_t* path) noexcept {
    struct _stat64i32 status {};
    return PathExists(path) && ::_wstat64i32(Wide(path), &status) == 0 &&
           (status.st_mode & _S_IFDIR) != 0;
}

bool RemoveFile(const char16_t* path) noexcept { return ::_wremove(Wide(path)) == 0; }

bool RenameFile(const char16_t* from, const char16_t* to) noexcept {
    return ::_wrename(Wide(from), Wide(to)) == 0;
}

bool IsSameFile(const char16_t* a, const char16_t* b) noexcept {
    // Backup semantics lets the query open directories too; no access right
    // is needed for the identity.
    const UniqueHandle ha = Open(a, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    const UniqueHandle hb = Open(b, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    return Valid(ha) && Valid(hb) && ::GetFileInformationByHandle(ha.get(), &ia) &&
           ::GetFileInformationByHandle(hb.get(), &ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool CreateEmptyFile(const char16_t* path) noexcept {
    return Valid(Open(path, GENERIC_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL));
}

bool CopyFileContents(const char16_t* from, const char16_t* to) noexcept {
    // The source is opened first so that an unreadable source leaves the
    // target untouched.
    const UniqueHandle source = Open(from, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!Valid(source)) return false;
    const UniqueHandle target = Open(to, GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
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
