// Helpers shared by the test suites: private scratch folders, raw file
// contents, the environment, links and FIFOs, and the one reader of log
// files. Tests see the file system through std::filesystem and these only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vzv::test {

inline std::u16string Utf16(const std::filesystem::path& path) { return path.u16string(); }

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
    std::u16string operator/(const std::string& relative) const { return Utf16(m_path / relative); }

private:
    std::filesystem::path m_path;
};

// True only when `link` now is a symbolic link to `target`. Made with the
// system's own call: the C++ library of mingw-w64 makes none on Windows,
// which allows them to administrators and in developer mode (wine from 10.20).
bool MakeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link,
                      bool directory = false);
// A FIFO at `path`; false where the system has none (Windows).
bool MakeFifo(const std::filesystem::path& path);

// The path as the public interface takes it (wchar_t of either width).
std::wstring Wide(const std::filesystem::path& path);
// UTF-16 to UTF-8, for readable failure messages.
std::string Narrow(const std::u16string& text);
// The file's bytes from byte `from` on.
std::string ReadBytes(const std::filesystem::path& path, std::uintmax_t from = 0);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// A log of `size` bytes without writing them one by one: zeros, which
// readers skip.
void Prefill(const std::filesystem::path& path, std::uintmax_t size);
// The file's UTF-16LE content from byte `from` on, without a byte order mark.
std::u16string ReadUtf16(const std::filesystem::path& path, std::uintmax_t from = 0);

// Through the C runtime, so that the library sees the change; `value` is
// UTF-8, and an empty one removes the variable (as Windows does).
void SetEnv(const std::string& name, const std::string& value);
inline void UnsetEnv(const std::string& name) { SetEnv(name, ""); }

// The lines of a UTF-16LE log from byte `from` on (past a prefill), each as
// "<level>:<text>", in file order; a missing file reads as empty. Lines
// without a whole prefix or CR LF are left out and counted in `*broken`, or
// fail the test where `broken` is null.
std::vector<std::string> LogLines(const std::filesystem::path& path, std::uintmax_t from = 0,
                                  std::size_t* broken = nullptr);

}  // namespace vzv::test
