// What a new user tries first: logging off by default, an Error switching it
// on, levels, narrow and wide text, a traced scope, several threads and a
// move of the log with its start-up log. Then it shows the files.
#include "VuzavovEro.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Log = Brivant::Service::VuzavovEro;

namespace {

// The log's UTF-16LE text as UTF-8, for the terminal.
std::string DecodeLog(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    std::string out = fs::path(text).u8string();
    std::string lines;
    for (const char c : out)
        if (c != '\r') lines += c;
    return lines;
}

void Traced(int depth) {
    Log::LogCppCall trace("Traced(depth=%d)", depth);
    if (depth > 0) Traced(depth - 1);
}

}  // namespace

int main() {
    std::printf("default log path: %s\n", fs::path(Log::GetLogPath()).u8string().c_str());
    std::printf("expert mode: %s, level: %d\n", IsExpertMode() ? "on" : "off",
                static_cast<int>(Log::GetLogLevel()));

    Log::Information("not written: logging starts switched off");
    Log::Error("an Error switches logging on at the Error level (code %d)", 42);
    const fs::path first = fs::path(Log::GetLogPath());

    Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    Log::Information("narrow UTF-8: caf\xC3\xA9, \xE2\x82\xAC %.2f, %s", 9.5, "Gr\xC3\xBC\xC3\x9F" "e");
    Log::Information(L"wide UTF-16: \u65E5\u672C\u8A9E, %s and %S", L"\u00E9t\u00E9", "narrow");
    Log::Debug("debug %I64d", static_cast<long long>(1) << 40);
    Log::Verbose(L"verbose %5.1f%%", 99.5);
    Traced(1);

    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 3; ++i) Log::Information("thread %d line %d", t, i);
        });
    for (auto& thread : threads) thread.join();

    // Move the log: what was written so far follows as the start-up log.
    const fs::path folder = fs::absolute("demo-logs");
    fs::remove_all(folder);
    const std::wstring moved = (folder / "app.log").wstring();
    Log::SetLogPath(moved.c_str());
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::Information("after the move");
    Log::Debug("not written at level Info");

    std::printf("\nthe first file %s %s\n", first.u8string().c_str(),
                fs::exists(first) ? "is still there" : "moved into the start-up log");
    for (const fs::path& file : {folder / "app.startup.log", folder / "app.log"}) {
        std::printf("\n== %s\n%s", file.u8string().c_str(), DecodeLog(file).c_str());
    }
    return 0;
}
