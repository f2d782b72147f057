#include "shared_file.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstdio>
#endif

namespace vzv::reader {

#ifdef _WIN32

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

#else

namespace {
std::FILE* File(void* handle) { return static_cast<std::FILE*>(handle); }
}  // namespace

bool SharedFile::Open(const std::filesystem::path& path) {
    Close();
    // fopen succeeds on a directory here; reading it then fails.
    if (std::filesystem::is_directory(path)) return false;
    m_handle = std::fopen(path.c_str(), "rb");
    return m_handle != nullptr;
}

void SharedFile::Close() {
    if (m_handle) std::fclose(File(m_handle));
    m_handle = nullptr;
}

std::uint64_t SharedFile::Size() {
    std::FILE* file = File(m_handle);
    if (!file) return 0;
    const long at = std::ftell(file);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, at, SEEK_SET);
    return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

bool SharedFile::Seek(std::uint64_t offset) {
    return m_handle && std::fseek(File(m_handle), static_cast<long>(offset), SEEK_SET) == 0;
}

std::size_t SharedFile::Read(char* buffer, std::size_t size) {
    if (!m_handle) return 0;
    const std::size_t got = std::fread(buffer, 1, size, File(m_handle));
    // A file that grows after the end was seen is read on by the next call.
    if (got < size) std::clearerr(File(m_handle));
    return got;
}

#endif

}  // namespace vzv::reader
