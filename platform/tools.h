// What the tools need of the OS beyond the standard library. Names are
// std::filesystem paths in the OS's own form (bytes on POSIX, UTF-16 on
// Windows), so that any name a folder holds can be opened.
//
// Every file is opened as the library opens its own: the last component is
// never followed through a link, anything but a regular file (a FIFO, a
// device, a folder) is refused on the open handle after a non-blocking open,
// and handles are not inherited by child processes.
#pragma once

#include "platform/file_identity.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vzv::platform {

enum class OpenResult {
    Opened,
    Missing,   // nothing by that name
    NotPlain,  // a link, or not a regular file: refused
    Failed,    // anything else (rights, too many open files)
};

// What a name holds, its last component taken as it is (lstat).
struct FileStatus {
    OpenResult kind = OpenResult::Missing;  // Opened: a regular file
    FileIdentity identity;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // only compared, for a change
};
FileStatus LookAt(const std::filesystem::path& path) noexcept;

// An open file the tool owns: closed with its owner, never inherited.
class ToolFile {
public:
    ToolFile() = default;
    ~ToolFile() { Close(); }
    ToolFile(const ToolFile&) = delete;
    ToolFile& operator=(const ToolFile&) = delete;

    void Close() noexcept;
    bool IsOpen() const noexcept { return m_handle != -1; }
    // 0 when closed or unknown.
    std::uint64_t Size() const noexcept;

protected:
    std::intptr_t m_handle = -1;
};

// A log file opened for reading only, in a way that never stands in the
// writer's way: on Windows the writer renames a full log to "_old" while
// readers may have it open, and the C runtime's own opens refuse that (they
// do not share deletion). A file with several names may be read: it is
// known by its identity, and read once.
class SharedFile : public ToolFile {
public:
    OpenResult Open(const std::filesystem::path& path) noexcept;
    // From the open file itself (a directory listing may lag).
    bool Identity(FileIdentity& identity) const noexcept;
    bool Seek(std::uint64_t offset) noexcept;
    // Up to `size` bytes; 0 at the end or on an error.
    std::size_t Read(char* buffer, std::size_t size) noexcept;
};

// A file the tool appends to (its output), created when missing, opened
// without following a link and refused unless a plain file (one link).
class AppendFile : public ToolFile {
public:
    OpenResult Open(const std::filesystem::path& path) noexcept;
    // True only when every byte was written.
    bool Write(std::string_view bytes) noexcept;
    // On the disk, not only handed to the OS.
    bool Sync() noexcept;
};

// Replaces the content of `path` so that a crash leaves the old content or
// the new, never a mix: "<path>.tmp" is created exclusively (anything at
// that name, a link included, is removed as a name first), written, synced,
// moved over `path` (a link there is replaced, not followed) and the folder
// synced.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) noexcept;

// Moves `from` to `to`; an existing `to` is replaced, in one step, so that a
// reader of `to` sees the old file or the new one, never none. Links at
// either name are moved or replaced as names, never followed.
bool MoveReplacing(const std::filesystem::path& from, const std::filesystem::path& to) noexcept;

// What changed in a folder since the last look: nothing; only the content
// of the files named (written, resized); or anything (names added, removed
// or renamed, or the OS cannot tell which files, or at all).
class FolderWatch {
public:
    enum class Change { None, Files, Any };

    explicit FolderWatch(const std::filesystem::path& folder) noexcept;
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Files: their names (the last component) are added to `names`.
    Change Take(std::vector<std::filesystem::path>& names) noexcept;

private:
    std::intptr_t m_handle = -1;
};

// Standard output is a terminal (or console), where control characters act.
bool StandardOutputIsTerminal() noexcept;

// The program's arguments after its name, in UTF-8 (on Windows taken from
// the UTF-16 command line, so that any path can be named).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace vzv::platform
