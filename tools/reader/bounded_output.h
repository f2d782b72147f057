// Where followed records go: standard output, or a UTF-8 file kept under a
// size cap by moving it to FILE.1 (one older generation) before a batch that
// would pass the cap. A shipping agent that tails FILE follows that rename
// and reads the moved file to its end; FILE.1 is replaced no sooner than a
// few seconds after it was made, so that the agent has the time to, also
// when a backlog is written out at once.
#pragma once

#include "platform/tools.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace vzv::reader {

class BoundedOutput {
public:
    // Standard output.
    BoundedOutput() = default;
    // Appends to `path`, which is created when missing; a link or anything
    // but a plain file there is refused.
    BoundedOutput(std::filesystem::path path, std::uint64_t maxBytes);

    enum class Result { Written, Later, Failed };
    // Writes the whole batch and hands it to the OS. Later: the file is full
    // and FILE.1 still young; nothing was written.
    Result Write(const std::string& batch);
    // What was written is on the disk, before a state that counts it is saved.
    bool Sync();

    static constexpr std::uint64_t kDefaultMaxBytes = 16 * 1024 * 1024;

private:
    bool Open();
    bool Rotate();

    std::filesystem::path m_path;  // empty: standard output
    std::uint64_t m_maxBytes = 0;
    std::uint64_t m_size = 0;
    platform::AppendFile m_file;
    std::chrono::steady_clock::time_point m_rotated{};  // when FILE.1 was made
};

}  // namespace vzv::reader
