// The client that crashpoints.py kills and fails at each system call (Linux).
//   client <record> <step>...
// Steps, in order: path=<p> (SetLogFilePath), level=<n> (SetLogLevel),
// i<n> d<n> v<n> (n lines "m<k>" at Information, Debug or Verbose, k counting
// on from 1), threads<n> (two threads, n lines "t<t>.<i>" each), mark (the
// line "marker"). Each returned call is counted in <record>, a file mapped
// before the first step, which costs no system call and outlives a kill:
// [0] steps, [1] "m" lines, [2] and [3] the threads' lines.
#include "VuzavovEro.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

using Log = Brivant::Service::VuzavovEro;

int main(int argc, char** argv) {
    const int fd = ::open(argv[1], O_RDWR);
    void* map = fd < 0 ? MAP_FAILED : ::mmap(nullptr, 16, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) return 2;
    ::close(fd);  // the last call before the steps
    volatile std::uint32_t* const record = static_cast<volatile std::uint32_t*>(map);
    for (int i = 2; i < argc; ++i) {
        const std::string step = argv[i];
        if (step.rfind("path=", 0) == 0) {
            SetLogFilePath(std::wstring(step.begin() + 5, step.end()).c_str());  // ASCII paths
        } else if (step.rfind("level=", 0) == 0) {
            SetLogLevel(std::atoi(step.c_str() + 6));
        } else if (step.rfind("threads", 0) == 0) {
            const auto work = [&](int t) {
                for (long k = 1; k <= std::atol(step.c_str() + 7); ++k)
                    Log::Information("t%d.%ld", t, k), record[2 + t] = static_cast<std::uint32_t>(k);
            };
            std::thread second(work, 1);
            work(0);
            second.join();
        } else if (step == "mark") {
            Log::Information("marker");
        } else {
            static void (*const calls[])(const char*, ...) = {Log::Information, Log::Debug,
                                                              Log::Verbose};
            for (long k = 0; k < std::atol(step.c_str() + 1); ++k)
                calls[std::string("idv").find(step[0])]("m%u", record[1] + 1), record[1] = record[1] + 1;
        }
        record[0] = static_cast<std::uint32_t>(i - 1);
    }
    return 0;
}
