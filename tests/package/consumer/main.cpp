// Logs an Error to a file in the current directory and checks that the file
// is there.
#include <VuzavovEro.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

int main() {
    using Brivant::Service::VuzavovEro;
    const std::filesystem::path log = std::filesystem::current_path() / "consumer.log";
    VuzavovEro::SetLogPath(log.wstring().c_str());
    VuzavovEro::Error("consumer %d", 1);

    std::error_code error;
    if (!std::filesystem::exists(log, error) || std::filesystem::file_size(log, error) == 0) {
        std::fprintf(stderr, "consumer: no log at %s\n", log.string().c_str());
        return 1;
    }
    std::printf("consumer: logged to %s\n", log.string().c_str());
    return 0;
}
