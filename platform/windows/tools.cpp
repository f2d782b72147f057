#include "platform/tools.h"

#include "platform/windows/win32.h"
#include "text/utf8.h"

#include <shellapi.h>

#include <memory>

namespace vzv::platform {

bool SharedFile::Open(const std::filesystem::path& path) {
    Close();
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    m_handle = handle;
    return true;
}

void SharedFile::Close() {
    if (m_handle) CloseHandle(m_handle);
    m_handle = nullptr;
}

std::uint64_t SharedFile::Size() {
    LARGE_INTEGER size{};
    return m_handle && GetFileSizeEx(m_handle, &size) ? static_cast<std::uint64_t>(size.QuadPart)
                                                      : 0;
}

bool SharedFile::Seek(std::uint64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    return m_handle && SetFilePointerEx(m_handle, to, nullptr, FILE_BEGIN);
}

std::size_t SharedFile::Read(char* buffer, std::size_t size) {
    DWORD got = 0;
    const auto want = static_cast<DWORD>(size < 0x40000000u ? size : 0x40000000u);
    if (!m_handle || !ReadFile(m_handle, buffer, want, &got, nullptr)) return 0;
    return got;
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
