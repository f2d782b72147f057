// Child processes for tests that need a second client, killed without
// warning. The only test file that starts processes (std:: has none).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vzv::test {

class ChildProcess {
public:
    // Starts `program` with `args`; throws std::runtime_error when it cannot
    // start. Handles are inheritable as far as the OS allows, so that a
    // handle wrongly left inheritable would show.
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args);
    // Kills a child that still runs (SIGKILL or TerminateProcess) and waits
    // for its end.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits for the end; the exit code.
    int Wait();

private:
    std::intptr_t m_handle = -1;  // pid, or process HANDLE
    bool m_ended = false;
};

}  // namespace vzv::test
