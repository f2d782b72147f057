// The program whose logs make test-shipping ships: a client of the library.
//   shipping_client <log> <tag> <count>
// Logs 20 records before it sets <log> (they reach the log's start-up log),
// then two threads log <count> records each, the second half once standard
// input has ended: at levels 1 to 4, with non-ASCII text, line breaks, quotes
// and control characters; and one Debug record of 20000 control characters,
// which the library cuts to its longest text, 16383, each of which JSON
// escapes to six bytes.
#include "VuzavovEro.h"

#include <filesystem>
#include <iostream>
#include <limits>
#include <string>
#include <thread>

namespace {

using Log = Brivant::Service::VuzavovEro;

void LogRecords(const std::string& tag, int from, int to) {
    for (int i = from; i < to; ++i) {
        const std::string id = tag + " n" + std::to_string(i);
        switch (i % 4) {
            case 0: Log::Information("%s caf\xC3\xA9 \xF0\x9F\x98\x80", id.c_str()); break;
            case 1: Log::Error("%s two\r\nlines\nand a third", id.c_str()); break;
            case 2: Log::Debug("%s \"quoted\" \\ tab\t bell\x07", id.c_str()); break;
            default: Log::Verbose(L"%hs wide \x00FC\x00DF \x263A", id.c_str());
        }
    }
}

void LogFromTwoThreads(const std::string& tag, int from, int to) {
    std::thread second(LogRecords, tag + " t1", from, to);
    LogRecords(tag + " t0", from, to);
    second.join();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const std::string tag = argv[2];
    const int count = std::stoi(argv[3]);
    Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    LogRecords(tag + " early", 0, 20);
    if (!SetLogFilePath(std::filesystem::path(argv[1]).wstring().c_str())) return 1;
    Log::Debug("%s", std::string(20000, '\x01').c_str());
    LogFromTwoThreads(tag, 0, count / 2);
    std::cin.ignore(std::numeric_limits<std::streamsize>::max());  // until standard input ends
    LogFromTwoThreads(tag, count / 2, count);
    return 0;
}
