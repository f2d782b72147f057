#include "support/child_process.h"

#include <cerrno>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#else
#  include <fcntl.h>
#  include <signal.h>
#  include <spawn.h>
#  include <sys/wait.h>
#  include <unistd.h>
#endif

namespace vzv::test {

namespace fs = std::filesystem;

#ifdef _WIN32

ChildProcess::ChildProcess(const fs::path& program, const std::vector<std::string>& args,
                           const fs::path& output) {
    // Plain quotes suffice: no argument of ours holds a quote or ends in a
    // backslash.
    std::wstring command = L"\"" + program.wstring() + L"\"";
    for (const std::string& arg : args) command += L" \"" + fs::u8path(arg).wstring() + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE out = ::CreateFileW(output.wstring().c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create the child's output");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    // Wine now and then refuses a start right after a kill; a few tries
    // outlast that.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        if (attempt > 0) ::Sleep(100);
        started = ::CreateProcessW(program.wstring().c_str(), command.data(), nullptr, nullptr,
                                   TRUE, 0, nullptr, nullptr, &startup, &info);
    }
    const DWORD error = ::GetLastError();
    ::CloseHandle(out);
    if (!started)
        throw std::runtime_error("cannot start " + program.string() + ": error " +
                                 std::to_string(error));
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

ChildProcess::ChildProcess(const fs::path& program, const std::vector<std::string>& args,
                           const fs::path& output) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start " + program.string());
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
    while (::waitpid(static_cast<pid_t>(m_handle), &status, 0) < 0 && errno == EINTR) {
    }
    m_ended = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace vzv::test
