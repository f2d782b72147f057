// Helpers shared by the test suites: private scratch folders and raw file
// contents. Tests see the file system through std::filesystem only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vzv::test {

// A fresh, empty folder unique to this process and `name`, removed by the
// destructor.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const noexcept { return m_path; }
    // A path inside the folder as the library takes it (UTF-16).
    std::u16string operator/(const std::string& relative) const;

private:
    std::filesystem::path m_path;
};

std::u16string Utf16(const std::filesystem::path& path);
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// A log of `size` bytes without writing them one by one: zeros, which
// readers skip.
void Prefill(const std::filesystem::path& path, std::uintmax_t size);
// The file's UTF-16LE content, without a byte order mark.
std::u16string ReadUtf16(const std::filesystem::path& path);
// The lines of a log file as "<level>:<text>" (text in UTF-8), each checked
// for a whole prefix and line end.
std::vector<std::string> LogLines(const std::filesystem::path& path);
// UTF-16 to UTF-8, for readable failure messages.
std::string Narrow(const std::u16string& text);

}  // namespace vzv::test
