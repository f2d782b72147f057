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

ChildProcess::ChildProcess(const fs::path& program, const std::vector<std::string>& args,
                           bool stalledOutput) {
    // Plain quotes suffice: no argument of ours holds a quote or ends in a
    // backslash.
    std::wstring command = L"\"" + program.wstring() + L"\"";
    for (const std::string& arg : args) command += L" \"" + fs::u8path(arg).wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE output[2] = {};
    if (stalledOutput && ::CreatePipe(&output[0], &output[1], &inherited, 0)) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output[1];
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        m_output = reinterpret_cast<std::intptr_t>(output[0]);
    }
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
    if (output[1] != nullptr) ::CloseHandle(output[1]);
    m_handle = reinterpret_cast<std::intptr_t>(info.hProcess);
}

ChildProcess::~ChildProcess() {
    if (!m_ended) {
        ::TerminateProcess(reinterpret_cast<HANDLE>(m_handle), 137);
        Wait();
    }
    ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    if (m_output != -1) ::CloseHandle(reinterpret_cast<HANDLE>(m_output));
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

ChildProcess::ChildProcess(const fs::path& program, const std::vector<std::string>& args,
                           bool stalledOutput) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int output[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (stalledOutput && ::pipe(output) == 0) {
        ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        m_output = output[0];
    }
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (output[1] != -1) ::close(output[1]);
    if (failed != 0) throw std::runtime_error("cannot start " + program.string());
    m_handle = pid;
}

ChildProcess::~ChildProcess() {
    if (!m_ended) {
        ::kill(static_cast<pid_t>(m_handle), SIGKILL);
        Wait();
    }
    if (m_output != -1) ::close(static_cast<int>(m_output));
}

int ChildProcess::Wait() {
    int status = 0;
    ::waitpid(static_cast<pid_t>(m_handle), &status, 0);  // no signal handlers to interrupt it
    m_ended = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace vzv::test
