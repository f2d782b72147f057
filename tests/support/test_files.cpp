#include "support/test_files.h"

#include <fstream>
#include <random>
#include <regex>

#include <gtest/gtest.h>
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

void Prefill(const fs::path& path, std::uintmax_t size) {
    fs::create_directories(path.parent_path());
    WriteBytes(path, "");
    fs::resize_file(path, size);
}

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

std::vector<std::string> LogLines(const fs::path& path) {
    const std::string text = Narrow(ReadUtf16(path));
    // Only the prefix goes through the regex: long texts would exhaust the
    // recursive matcher's stack.
    static const std::regex prefix(R"( *\d+ \| \d\d\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3} \|(-?\d+)\| )");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string physical = text.substr(start, end - start);
        std::smatch m;
        const std::string head = physical.substr(0, 64);
        const bool whole = std::regex_search(head, m, prefix, std::regex_constants::match_continuous) &&
                           !physical.empty() && physical.back() == '\r';
        EXPECT_TRUE(whole) << physical.substr(0, 200);
        if (!whole) continue;
        const std::size_t body = static_cast<std::size_t>(m.length(0));
        lines.push_back(m[1].str() + ":" + physical.substr(body, physical.size() - body - 1));
    }
    EXPECT_EQ(start, text.size()) << "the file ends inside a line";
    return lines;
}

std::string Narrow(const std::u16string& text) { return fs::path(text).u8string(); }

}  // namespace vzv::test
