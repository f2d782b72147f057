// Child processes for tests that need a second client, started with their
// standard output in a file and killed without warning; and a file held the
// way a scanner holds it. The only test file that calls the OS directly
// (std:: has neither processes nor share modes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vzv::test {

// `name` in the running test executable's folder, with ".exe" on Windows.
std::filesystem::path HelperProgram(const std::string& name);

class ChildProcess {
public:
    // Starts `program` with `args`; its standard output goes to `output`
    // (created or truncated). Throws std::runtime_error when it cannot start.
    // Handles are inheritable as far as the OS allows, so that a handle
    // wrongly left inheritable would show.
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::filesystem::path& output);
    // Kills a child that still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // SIGKILL or TerminateProcess, then waits for the end.
    void Kill();
    // Waits for the end; the exit code, or -1 when it was killed.
    int Wait();

private:
    std::intptr_t m_handle = -1;  // pid, or process HANDLE
    bool m_ended = false;
};

// Holds a file open for reading, sharing reading and writing but not
// deletion, as a virus scanner or a viewer does: on Windows this blocks
// renaming the file. POSIX has no such hold: the object holds nothing.
class FileHold {
public:
    explicit FileHold(const std::filesystem::path& path);
    ~FileHold() { Release(); }
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;

    bool IsHeld() const noexcept { return m_handle != -1; }
    void Release() noexcept;

private:
    std::intptr_t m_handle = -1;
};

}  // namespace vzv::test
