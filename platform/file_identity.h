// What a log shipper needs from the OS beyond the library's own calls: which
// file a name stands for, so that a file is recognised after it was renamed
// (also across a reboot), and a move that replaces its target in one step.
#pragma once

#include <cstdint>

namespace vzv::platform {

// Device and inode on POSIX; volume serial number and file index on Windows.
struct FileIdentity {
    std::uint64_t volume{};
    std::uint64_t index{};
    bool operator==(const FileIdentity& other) const noexcept {
        return volume == other.volume && index == other.index;
    }
};

// False when the file cannot be looked at. A link is followed.
bool GetFileIdentity(const char16_t* path, FileIdentity& identity) noexcept;
// Moves `from` to `to`; an existing `to` is replaced, in one step, so that a
// reader of `to` sees the old file or the new one, never none.
bool MoveReplacing(const char16_t* from, const char16_t* to) noexcept;

}  // namespace vzv::platform
