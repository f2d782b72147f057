#include "platform/platform.h"
#include "platform/windows/plain_file.h"
#include "platform/windows/win32.h"
#include "text/decimal.h"

#include <memory>
#include <string>

namespace vzv::platform {

namespace {
HANDLE ToHandle(FileHandle file) noexcept { return reinterpret_cast<HANDLE>(file); }
}  // namespace

static_assert(sizeof(HANDLE) == sizeof(FileHandle), "a file handle must fit FileHandle");

HANDLE OpenRegularFile(const char16_t* path, DWORD access, DWORD share, DWORD disposition,
                       DWORD flags, bool singleLink) noexcept {
    // Emptying waits for the check: CREATE_ALWAYS would truncate a hard
    // link's shared content before the handle could be looked at.
    const bool empty = disposition == CREATE_ALWAYS;
    HANDLE h = ::CreateFileW(Wide(path), access | FILE_READ_ATTRIBUTES, share, nullptr,
                             empty ? OPEN_ALWAYS : disposition,
                             flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return h;
    BY_HANDLE_FILE_INFORMATION info{};
    DWORD error = ERROR_SUCCESS;
    if (!::GetFileInformationByHandle(h, &info))
        error = ::GetLastError();
    else if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY) ||
             ::GetFileType(h) != FILE_TYPE_DISK)
        error = ERROR_CANT_ACCESS_FILE;
    else if (singleLink && info.nNumberOfLinks != 1)
        error = ERROR_TOO_MANY_LINKS;
    else if (empty && !::SetEndOfFile(h))  // a fresh handle stands at offset 0
        error = ::GetLastError();
    if (error == ERROR_SUCCESS) return h;
    ::CloseHandle(h);
    ::SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

HANDLE OpenPlainFile(const char16_t* path, DWORD access, DWORD share, DWORD disposition,
                     DWORD flags) noexcept {
    return OpenRegularFile(path, access, share, disposition, flags, true);
}

FileHandle OpenFile(const char16_t* path, std::uint32_t access, std::uint32_t share,
                    std::uint32_t disposition, std::uint32_t attributes) noexcept {
    return reinterpret_cast<FileHandle>(
        OpenPlainFile(path, access, share, disposition, attributes));
}

bool WriteFile(FileHandle file, const void* data, std::uint32_t byteCount) noexcept {
    DWORD written = 0;
    return ::WriteFile(ToHandle(file), data, byteCount, &written, nullptr) != FALSE &&
           written == byteCount;
}

bool SeekToEnd(FileHandle file) noexcept {
    LARGE_INTEGER zero{};
    return ::SetFilePointerEx(ToHandle(file), zero, nullptr, FILE_END) != FALSE;
}

std::int64_t FileSize(FileHandle file) noexcept {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(ToHandle(file), &size)) return -1;
    return size.QuadPart;
}

bool CloseFile(FileHandle file) noexcept { return ::CloseHandle(ToHandle(file)) != FALSE; }

std::u16string GetLastErrorText() {
    const DWORD code = ::GetLastError();
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, decltype(&::LocalFree)> owned(buffer, &::LocalFree);
    std::u16string number;
    AppendDecimal(number, code);
    if (length == 0) return u"Error creating error message for errorcode " + number;
    return std::u16string(Utf16(buffer), length) + u" errorcode: " + number;
}

}  // namespace vzv::platform
