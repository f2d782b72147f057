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
#  include <sys/wait.h>
#  include <unistd.h>
#endif

namespace vzv::test {

namespace fs = std::filesystem;

#ifdef _WIN32

fs::path HelperProgram(const std::string& name) {
    std::wstring buffer(32768, L'\0');
    buffer.resize(::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size())));
    return fs::path(buffer).parent_path() / (name + ".exe");
}

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
    if (!m_ended) Kill();
    ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

void ChildProcess::Kill() {
    if (m_ended) return;
    ::TerminateProcess(reinterpret_cast<HANDLE>(m_handle), 137);
    Wait();
}

FileHold::FileHold(const fs::path& path) {
    const HANDLE h = ::CreateFileW(path.wstring().c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) m_handle = reinterpret_cast<std::intptr_t>(h);
}

void FileHold::Release() noexcept {
    if (m_handle != -1) ::CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = -1;
}

int ChildProcess::Wait() {
    const HANDLE process = reinterpret_cast<HANDLE>(m_handle);
    ::WaitForSingleObject(process, INFINITE);
    m_ended = true;
    DWORD code = 0;
    ::GetExitCodeProcess(process, &code);
    return code == 137 ? -1 : static_cast<int>(code);
}

#else

fs::path HelperProgram(const std::string& name) {
    return fs::read_symlink("/proc/self/exe").parent_path() / name;
}

FileHold::FileHold(const fs::path&) {}

void FileHold::Release() noexcept {}

ChildProcess::ChildProcess(const fs::path& program, const std::vector<std::string>& args,
                           const fs::path& output) {
    // Everything the child needs is made before fork: only async-signal-safe
    // calls may follow it in a threaded process.
    const std::string path = program.string();
    const std::string outPath = output.string();
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int fd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::dup2(fd, 1) < 0) ::_exit(126);
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    m_handle = pid;
}

ChildProcess::~ChildProcess() {
    if (!m_ended) Kill();
}

void ChildProcess::Kill() {
    if (m_ended) return;
    ::kill(static_cast<pid_t>(m_handle), SIGKILL);
    Wait();
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
