// Which file a name stands for, so that a log shipper recognises a file after
// it was renamed (also across a reboot).
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
    bool operator<(const FileIdentity& other) const noexcept {
        return volume != other.volume ? volume < other.volume : index < other.index;
    }
};

}  // namespace vzv::platform
