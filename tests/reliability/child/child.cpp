// A client for the reliability tests, run as a separate process with its
// standard output in the file <output> (created or truncated).
//   <output> hold                      lists its open descriptors (POSIX),
//                                      then waits
//   - stalled <path>                   logs ill-formed UTF-8 on one thread
//                                      until its report blocks on a standard
//                                      output that nobody reads, then
//                                      "well-formed" on another, then waits
// It ends itself after a minute whatever the mode, so a test that dies
// leaves nothing behind.
#include "VuzavovEro.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#ifdef _WIN32
#  include <fcntl.h>
#  include <io.h>
#else
#  include <unistd.h>
#endif

namespace {

using Log = Brivant::Service::VuzavovEro;
using Clock = std::chrono::steady_clock;
const Clock::time_point g_deadline = Clock::now() + std::chrono::seconds(60);

int Hold() {
    std::error_code error;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", error))
        std::printf("%s\n", std::filesystem::read_symlink(fd.path(), error).string().c_str());
    std::printf("ready\n");
    std::fflush(stdout);
    std::this_thread::sleep_until(g_deadline);
    return 0;
}

int Stalled(const char* path) {
    int ends[2];  // standard output becomes a pipe that nobody reads
#ifdef _WIN32
    if (_pipe(ends, 4096, _O_BINARY) != 0 || _dup2(ends[1], 1) != 0) return 2;
#else
    if (pipe(ends) != 0 || dup2(ends[1], 1) != 1) return 2;
#endif
    SetLogFilePath(std::filesystem::u8path(path).wstring().c_str());
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    std::atomic<long> reported{0};
    std::thread([&] { for (;; ++reported) Log::Information("ill-formed \xE9 text"); }).detach();
    for (long seen = -1; seen != reported; std::this_thread::sleep_for(std::chrono::milliseconds(300)))
        seen = reported;
    Log::Information("well-formed");
    std::this_thread::sleep_until(g_deadline);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && argv[2] == std::string("stalled")) return Stalled(argv[3]);
    if (argc < 3 || !std::freopen(argv[1], "w", stdout)) return 2;
    if (argc == 3 && argv[2] == std::string("hold")) return Hold();
    return 2;
}
