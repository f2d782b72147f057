// A fixed number of calls of one kind, for counting instructions under
// callgrind: `probe <kind> <count> <scratch folder>`. Two runs with different
// counts give the instructions per call by their difference.
#include "VuzavovEro.h"
#include "engine/log_line.h"
#include "platform/platform.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <spdlog/logger.h>
#include <spdlog/sinks/basic_file_sink.h>

using Log = Brivant::Service::VuzavovEro;

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const std::string kind = argv[1];
    const long count = std::atol(argv[2]);
    const std::string folder = argv[3];
    const std::wstring path(folder.begin(), folder.end());

    if (kind == "peer") {
        auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(folder + "/peer.log", true);
        spdlog::logger logger("probe", sink);
        logger.set_pattern("%t | %y.%m.%d %H:%M:%S.%e |%L| %v");
        logger.flush_on(spdlog::level::trace);
        for (long i = 0; i < count; ++i)
            logger.info("request {} from {} took {:.3f} ms", 42, "10.0.0.1", 12.345);
        return 0;
    }
    if (kind == "floor") {
        // The finished line, written as it is: what every line costs at least.
        char16_t prefix[vzv::kMaxPrefixUnits];
        std::u16string line(prefix, vzv::PutLinePrefix(prefix, 2, vzv::platform::CurrentThreadId()));
        line += u"request 42 from 10.0.0.1 took 12.345 ms";
        line += vzv::kLineEnd;
        const std::u16string file(path.begin(), path.end());
        const auto handle = vzv::platform::OpenFile(
            (file + u"/floor.log").c_str(), vzv::platform::kGenericWrite,
            vzv::platform::kFileShareRead, vzv::platform::kCreateAlways,
            vzv::platform::kFileAttributeNormal);
        for (long i = 0; i <= count; ++i)
            vzv::platform::WriteFile(handle, line.data(),
                                     static_cast<std::uint32_t>(line.size() * sizeof(char16_t)));
        vzv::platform::CloseFile(handle);
        return 0;
    }
    Log::SetLogPath((path + L"/probe.log").c_str());
    Log::SetLogLevel(kind == "disabled" ? Log::LOGLEVEL_ERROR : Log::LOGLEVEL_INFO);
    // The first line sizes the buffers outside the counted difference.
    Log::Information("request %d from %s took %.3f ms", 42, "10.0.0.1", 12.345);
    const bool narrow = kind == "narrow", disabled = kind == "disabled", wide = kind == "wide";
    const bool verbose = kind == "verbose_1000", idleScope = kind == "disabled_scope";
    const bool scope = idleScope || kind == "scope";
    if (!narrow && !disabled && !wide && !verbose && !scope) return 2;
    if (verbose) Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    if (idleScope) Log::SetLogLevel(Log::LOGLEVEL_ERROR);
    std::string text;
    while (text.size() < 1000) text += "lorem ipsum dolor sit amet ";
    text.resize(1000);
    for (long i = 0; i < count; ++i) {
        if (verbose) {
            Log::Verbose(text.c_str());
        } else if (scope) {
            Log::LogCppCall call("handle request %d", 42);
        } else if (narrow) {
            Log::Information("request %d from %s took %.3f ms", 42, "10.0.0.1", 12.345);
        } else if (disabled) {
            Log::Debug("request %d from %s took %.3f ms", 42, "10.0.0.1", 12.345);
        } else {
            Log::Information(L"request %d from %s took %.3f ms", 42, L"10.0.0.1", 12.345);
        }
    }
    return 0;
}
