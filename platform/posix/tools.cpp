#include "platform/tools.h"

#include <cstdio>

namespace vzv::platform {

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

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace vzv::platform
