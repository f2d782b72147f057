// A client for the reliability tests, run as a separate process.
//   log <path> <count> <tag>  two threads log "<tag> t<k> n<i>" for i < count
//                             at Information and print "<k> <i>" once each
//                             call has returned; exit 0 when done
//   hold <seconds>            lists its open descriptors (POSIX), then waits
// It ends itself after a minute whatever the mode, so a test that dies
// leaves nothing behind.
#include "VuzavovEro.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

using Log = Brivant::Service::VuzavovEro;
using Clock = std::chrono::steady_clock;
const Clock::time_point g_deadline = Clock::now() + std::chrono::seconds(60);

std::wstring Wide(const std::string& utf8) {
    const std::u16string u = std::filesystem::u8path(utf8).u16string();
    return std::wstring(u.begin(), u.end());
}

int LogNumbered(const std::string& path, long count, const std::string& tag) {
    SetLogFilePath(Wide(path).c_str());
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    std::mutex out;
    const auto work = [&](int thread) {
        for (long i = 0; i < count && Clock::now() < g_deadline; ++i) {
            Log::Information("%s t%d n%ld end", tag.c_str(), thread, i);
            const std::lock_guard<std::mutex> lock(out);
            std::printf("%d %ld\n", thread, i);
            std::fflush(stdout);
        }
    };
    std::thread second(work, 1);
    work(0);
    second.join();
    return 0;
}

int Hold(int seconds) {
    std::error_code error;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::error_code ignored;
        std::printf("%s\n", std::filesystem::read_symlink(fd.path(), ignored).string().c_str());
    }
    std::printf("ready\n");
    std::fflush(stdout);
    const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end && Clock::now() < g_deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "log")
        return LogNumbered(args[1], std::strtol(args[2].c_str(), nullptr, 10), args[3]);
    if (args.size() == 2 && args[0] == "hold") return Hold(std::atoi(args[1].c_str()));
    std::fprintf(stderr, "usage: reliability_child log <path> <count> <tag> | hold <seconds>\n");
    return 2;
}
