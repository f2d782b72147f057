// The client that crashpoints.py kills and fails at each system call (Linux).
//   client <record> <step>...
// Steps run in order: path=<p> (SetLogFilePath), level=<n> (SetLogLevel),
// i<n> d<n> v<n> (n lines "m<k>" at Information, Debug or Verbose, k counting
// on from 1), threads<n> (two threads, n lines "t<t>.<i>" each), mark (the
// line "marker"). After each call returns it counts it in <record>, a file
// mapped before the first step, which costs no system call and outlives a
// kill: [0] steps, [1] "m" lines, [2] and [3] the threads' lines.
#include "VuzavovEro.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace {

using Log = Brivant::Service::VuzavovEro;
volatile std::uint32_t* g_record = nullptr;

void Lines(char kind, long count, std::uint32_t& number) {
    for (long i = 0; i < count; ++i) {
        const std::uint32_t k = ++number;
        if (kind == 'i') Log::Information("m%u", k);
        else if (kind == 'd') Log::Debug("m%u", k);
        else Log::Verbose("m%u", k);
        g_record[1] = k;
    }
}

void Step(const std::string& step, std::uint32_t& number) {
    if (step.rfind("path=", 0) == 0) {
        const std::wstring path(step.begin() + 5, step.end());  // ASCII paths
        SetLogFilePath(path.c_str());
    } else if (step.rfind("level=", 0) == 0) {
        SetLogLevel(std::atoi(step.c_str() + 6));
    } else if (step.rfind("threads", 0) == 0) {
        const long count = std::atol(step.c_str() + 7);
        const auto work = [count](int t) {
            for (long i = 1; i <= count; ++i) {
                Log::Information("t%d.%ld", t, i);
                g_record[2 + t] = static_cast<std::uint32_t>(i);
            }
        };
        std::thread second(work, 1);
        work(0);
        second.join();
    } else if (step == "mark") {
        Log::Information("marker");
    } else {
        Lines(step[0], std::atol(step.c_str() + 1), number);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int fd = ::open(argv[1], O_RDWR);
    void* map = fd < 0 ? MAP_FAILED : ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) return 2;
    ::close(fd);  // the last call before the steps
    g_record = static_cast<volatile std::uint32_t*>(map);
    std::uint32_t number = 0;
    for (int i = 2; i < argc; ++i) {
        Step(argv[i], number);
        g_record[0] = static_cast<std::uint32_t>(i - 1);
    }
    return 0;
}
