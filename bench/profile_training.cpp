// The training run of a profile-guided build: a mix of the calls a program
// makes (both format widths, the common conversions with and without flags,
// traced scopes, long verbose text, dropped calls), so that the compiler
// learns which paths of the library are common.  profile_training <folder>
#include "VuzavovEro.h"

#include <string>

using Log = Brivant::Service::VuzavovEro;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string folder = argv[1];
    Log::SetLogPath((std::wstring(folder.begin(), folder.end()) + L"/training.log").c_str());
    std::string longText;
    for (int i = 0; longText.size() < 3000; ++i) longText += "item " + std::to_string(i) + ", ";
    for (int i = 0; i < 4000; ++i) {
        Log::SetLogLevel(i % 8 == 0 ? Log::LOGLEVEL_ERROR : Log::LOGLEVEL_VERBOSE);
        const double value = i * 0.37 - 250.0;
        Log::Information("user %s signed in from %s:%u", "operator", "192.168.1.20", 50000u + i);
        Log::Information("queue %-8s length %5d, %3d%% full", "orders", i % 977, i % 100);
        Log::Error("write failed: error %d (0x%08X) at offset %lld", -i, 0x80070000u + i, 4096LL * i);
        Log::Debug("point (%.2f, %.4f), scale %g, ratio %e", value, value / 7, value * 1e-3, value * 1e5);
        Log::Verbose("state %c%c, handle %p, size %zu", 'A' + i % 26, 'a' + i % 26,
                     static_cast<void*>(&longText), longText.size());
        Log::Information(L"file %s opened (%d bytes), took %.3f ms", L"C:\\data\\in.dat", i * 17, value);
        Log::Debug(L"%ls: %lu items, %hs", L"cache", static_cast<unsigned long>(i), "warm");
        if (i % 16 == 0) Log::Verbose(longText.c_str());
        Log::LogCppCall call("process item %d of %d", i, 4000);
    }
    return 0;
}
