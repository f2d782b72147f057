// Logs an Error to consumer.log in the working directory and checks that the
// line is there.
#include <VuzavovEro.h>

#include <filesystem>

int main() {
    using Brivant::Service::VuzavovEro;
    VuzavovEro::SetLogPath(L"consumer.log");
    VuzavovEro::Error("consumer %d", 1);
    const std::filesystem::path log = "consumer.log";
    return std::filesystem::exists(log) && std::filesystem::file_size(log) > 0 ? 0 : 1;
}
