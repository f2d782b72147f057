#include "support/child_process.h"

#include <stdexcept>
#include <string>

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#else
#  include <signal.h>
#  include <spawn.h>
#  include <sys/wait.h>
#  include <unistd.h>
#endif

namespace vzv::test {

namespace fs = std::filesystem;

#ifdef _WIN32

ChildProcess::ChildProcess(const fs::path& program, const std::vector<std::string>& args) {
    // Plain quotes suffice: no argument of ours holds a quote or ends in a
    // backslash.
    std::wstring command = L"\"" + program.wstring() + L"\"";
    for (const std::string& arg : args) command += L" \"" + fs::u8path(arg).wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Wine now and then refuses a start right after a kill; a few tries
    // outlast that.
    for (int attempt = 1; !::CreateProcessW(program.wstring().c_str(), command.data(), nullptr,
                                            nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
         ++attempt) {
        if (attempt == 5) throw std::runtime_error("cannot start " + program.string());
        ::Sleep(100);
    }
    ::CloseHandle(info.hThread);
    m_handle = reinterpret_cast<std::intptr_t>(info.hProcess);
}

ChildProcess::~ChildProcess() {
    if (!m_ended) {
        ::TerminateProcess(reinterpret_cast<HANDLE>(m_handle), 137);
        Wait();
    }
    ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

int ChildProcess::Wait() {
    const HANDLE process = reinterpret_cast<HANDLE>(m_handle);
    ::WaitForSingleObject(process, INFINITE);
    m_ended = true;
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    return static_cast<int>(code);
}

#else

ChildProcess::ChildProcess(const fs::path& program, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + program.string());
    m_handle = pid;
}

ChildProcess::~ChildProcess() {
    if (!m_ended) {
        ::kill(static_cast<pid_t>(m_handle), SIGKILL);
        Wait();
    }
}

int ChildProcess::Wait() {
    int status = 0;
    ::waitpid(static_cast<pid_t>(m_handle), &status, 0);  // no signal handlers to interrupt it
    m_ended = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace vzv::test
