// How far each followed log was read, kept in a small text file so that a
// restarted reader goes on where it stopped. A log is known by its file
// identity, which stays with it through a rename (to "_old") and a reboot,
// and by a fingerprint of its first bytes, in case the identity is reused by
// a newer file after the old one was removed.
#pragma once

#include "platform/file_identity.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vzv::reader {

struct LogPosition {
    platform::FileIdentity identity;
    std::uint64_t offset = 0;      // bytes read and written out
    std::uint32_t headLength = 0;  // bytes the fingerprint covers
    std::uint64_t headHash = 0;
    std::string path;  // where it was last seen, UTF-8; for people
};

// The first bytes of a log that its fingerprint covers.
inline constexpr std::size_t kFingerprintBytes = 64;
std::uint64_t Fingerprint(std::string_view head);

// Missing file: an empty list. Nothing (and `problem` set) when the file is
// there but cannot be read as a state file, is a link or not a regular
// file, or holds an offset no log can have been read to (an odd one).
std::optional<std::vector<LogPosition>> LoadState(const std::filesystem::path& path,
                                                  std::string& problem);
// Written to a temporary file beside it, synced, then moved over it in one
// step: a crash leaves the old state or the new one.
bool SaveState(const std::filesystem::path& path, const std::vector<LogPosition>& logs);

}  // namespace vzv::reader
