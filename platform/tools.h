// What the tools need of the OS beyond the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vzv::platform {

// A log file opened for reading only, in a way that never stands in the
// writer's way: on Windows the writer renames a full log to "_old" while
// readers may have it open, and the C runtime's own opens refuse that (they
// do not share deletion).

class SharedFile {
public:
    SharedFile() = default;
    ~SharedFile() { Close(); }
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }

    // The size now, from the open file itself (a directory listing may lag).
    std::uint64_t Size();
    bool Seek(std::uint64_t offset);
    // Up to `size` bytes; 0 at the end or on an error.
    std::size_t Read(char* buffer, std::size_t size);

private:
    void* m_handle = nullptr;
};

// The program's arguments after its name, in UTF-8 (on Windows taken from
// the UTF-16 command line, so that any path can be named).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace vzv::platform
