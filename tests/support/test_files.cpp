#include "support/test_files.h"

#include <fstream>
#include <random>
#include <system_error>

namespace vzv::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(const std::string& name) {
    std::random_device random;
    m_path = fs::temp_directory_path() / ("vzv-" + name + "-" + std::to_string(random()));
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::u16string ScratchDir::operator/(const std::string& relative) const {
    return Utf16(m_path / relative);
}

std::u16string Utf16(const fs::path& path) { return path.u16string(); }

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::u16string ReadUtf16(const fs::path& path) {
    const std::string bytes = ReadBytes(path);
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (!text.empty() && text[0] == u'\xFEFF') text.erase(0, 1);
    return text;
}

std::string Narrow(const std::u16string& text) { return fs::path(text).u8string(); }

}  // namespace vzv::test
