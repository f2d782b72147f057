// The program whose logs make test-shipping ships: a client of the library.
//   shipping_client <log> <tag> <count> [early] [wait FILE]
// Two threads log <count> records each, tagged, at levels 1 to 4, some with
// non-ASCII text, line breaks, quotes and control characters.
//   early      some records are logged before the log is set: they go to the
//              default place and then to the log's start-up log
//   wait FILE  half way, waits for FILE to exist
#include "VuzavovEro.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using Log = Brivant::Service::VuzavovEro;
namespace fs = std::filesystem;

std::wstring Wide(const std::string& utf8) {
    const std::u16string u = fs::u8path(utf8).u16string();
    return std::wstring(u.begin(), u.end());
}

void LogRecords(const std::string& tag, int thread, int from, int to) {
    for (int i = from; i < to; ++i) {
        const std::string id = tag + " t" + std::to_string(thread) + " n" + std::to_string(i);
        switch (i % 6) {
        case 0: Log::Information("%s caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80", id.c_str()); break;
        case 1: Log::Error("%s two\r\nlines\nand a third", id.c_str()); break;
        case 2: Log::Debug("%s \"quoted\" \\ tab\t bell\x07", id.c_str()); break;
        case 3: Log::Verbose(L"%hs wide \x00FC\x00DF \x263A", id.c_str()); break;
        default: Log::Information("%s plain", id.c_str());
        }
    }
}

void WaitFor(const fs::path& file) {
    for (int i = 0; i < 1200 && !fs::exists(file); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string log = argv[1], tag = argv[2];
    const int count = std::stoi(argv[3]);
    bool early = false;
    const char* wait = nullptr;
    for (int i = 4; i < argc; ++i) {
        const std::string mode = argv[i];
        early |= mode == "early";
        if (mode == "wait" && i + 1 < argc) wait = argv[++i];
    }
    Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    if (early) LogRecords(tag + "-early", 0, 0, 20);
    if (!SetLogFilePath(Wide(log).c_str())) return 1;
    const auto run = [&](int from, int to) {
        std::thread second(LogRecords, tag, 1, from, to);
        LogRecords(tag, 0, from, to);
        second.join();
    };
    run(0, count / 2);
    if (wait) WaitFor(fs::u8path(wait));
    run(count / 2, count);
    std::printf("%d\n", 2 * count + (early ? 20 : 0));
    return 0;
}
