#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#else
#  include <sys/stat.h>  // mkfifo
#endif

namespace vzv::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(const std::string& name) {
    // A folder that no other test process holds: create_directory makes a
    // fresh one or reports that it exists. Never empty one we did not make.
    std::random_device random;
    do {
        m_path = fs::temp_directory_path() / ("vzv-" + name + "-" + std::to_string(random()));
    } while (!fs::create_directory(m_path));
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::wstring Wide(const fs::path& path) {
    // Not wstring(): on POSIX that converts by the C locale, ASCII only.
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) return path.wstring();
    const std::u32string text = path.u32string();
    return std::wstring(text.begin(), text.end());
}

std::string Narrow(const std::u16string& text) { return fs::path(text).u8string(); }

bool MakeSymbolicLink(const fs::path& target, const fs::path& link,
                      [[maybe_unused]] bool directory) {
#ifdef _WIN32
    const DWORD kind = directory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
    // Developer mode first, then the administrator's right.
    if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(), kind | 0x2 /* unprivileged */))
        ::CreateSymbolicLinkW(link.c_str(), target.c_str(), kind);
    // Older wine reports success without making anything.
    const DWORD attributes = ::GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    std::error_code error;
    fs::create_symlink(target, link, error);  // a folder's too: POSIX links are untyped
    return !error;
#endif
}

bool MakeFifo([[maybe_unused]] const fs::path& path) {
#ifdef _WIN32
    return false;
#else
    return ::mkfifo(path.c_str(), 0666) == 0;
#endif
}

std::string ReadBytes(const fs::path& path, std::uintmax_t from) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void Prefill(const fs::path& path, std::uintmax_t size) {
    fs::create_directories(path.parent_path());
    WriteBytes(path, "");
    fs::resize_file(path, size);
}

std::u16string ReadUtf16(const fs::path& path, std::uintmax_t from) {
    const std::string bytes = ReadBytes(path, from);
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);  // both targets are little-endian
    if (!text.empty() && text[0] == u'\xFEFF') text.erase(0, 1);
    return text;
}

void SetEnv(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _wputenv_s(fs::u8path(name).wstring().c_str(), fs::u8path(value).wstring().c_str());
#else
    value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
#endif
}

std::vector<std::string> LogLines(const fs::path& path, std::uintmax_t from, std::size_t* broken) {
    // Only the prefix goes through the regex: long texts would exhaust the
    // recursive matcher's stack.
    static const std::regex prefix(
        R"( *\d+ \| \d\d\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3} \|(-?\d+)\| )");
    std::istringstream in(Narrow(ReadUtf16(path, from)));
    std::vector<std::string> lines;
    std::size_t bad = 0;
    for (std::string line; std::getline(in, line);) {
        const std::string head = line.substr(0, 64);
        std::smatch m;
        // eof: the last line has no LF
        if (in.eof() || line.empty() || line.back() != '\r' ||
            !std::regex_search(head, m, prefix, std::regex_constants::match_continuous)) {
            ++bad;
            continue;
        }
        const auto body = static_cast<std::size_t>(m.length(0));
        lines.push_back(m[1].str() + ":" + line.substr(body, line.size() - body - 1));
    }
    EXPECT_TRUE(broken || bad == 0) << bad << " broken lines in " << path;
    if (broken) *broken = bad;
    return lines;
}

}  // namespace vzv::test
