#include "platform/platform.h"
#include "platform/windows/win32.h"

#include <memory>
#include <string>

namespace vzv::platform {

namespace {
HANDLE ToHandle(FileHandle file) noexcept { return reinterpret_cast<HANDLE>(file); }
}  // namespace

static_assert(sizeof(HANDLE) == sizeof(FileHandle), "a file handle must fit FileHandle");

FileHandle OpenFile(const char16_t* path, std::uint32_t access, std::uint32_t share,
                    std::uint32_t disposition, std::uint32_t attributes) noexcept {
    HANDLE h = ::CreateFileW(Wide(path), access, share, nullptr, disposition, attributes, nullptr);
    return reinterpret_cast<FileHandle>(h);
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
    for (const char c : std::to_string(code)) number += static_cast<char16_t>(c);
    if (length == 0) return u"Error creating error message for errorcode " + number;
    return std::u16string(Utf16(buffer), length) + u" errorcode: " + number;
}

}  // namespace vzv::platform
