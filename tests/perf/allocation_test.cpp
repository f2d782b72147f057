// Heap use of the logging calls, counted by the executable's own allocation
// functions (counting_allocator.cpp). The interface is compiled into it (see
// tests/CMakeLists.txt), so on Windows too every allocation of the library
// goes through them.
#include "api/api_fixture.h"
#include "engine/log_engine.h"
#include "engine/log_writer.h"
#include "perf/counting_allocator.h"

#include <algorithm>
#include <chrono>
#include <future>

namespace vzv::test {
namespace {

using AllocationTest = ApiTest;

// Calls below the level, or while logging is off, neither wait for the
// writer's lock, held meanwhile by this thread, nor allocate, nor read their
// arguments: the pointer given for %s would fault. The engine drops them
// too: ill-formed text handed to it directly is not even reported. After
// Shutdown, as at unload, no call reaches a file or changes the level.
TEST_F(AllocationTest, DroppedCallsNeitherLockNorAllocateNorFormat) {
    Log::SetLogPath(Path("perf.log").c_str());
    Log::Error("the writer is set up");
    CLogSyncObject& lock = CLogEngine::GetInstance().Writer()->SyncObject();
    for (const Log::eLOGLEVEL level : {Log::LOGLEVEL_ERROR, Log::LOGLEVEL_OFF}) {
        SCOPED_TRACE(level);
        Log::SetLogLevel(level);
        lock.Lock();
        testing::internal::CaptureStdout();
        CLogEngine::GetInstance().LogVerbose(std::string_view("v\xE9"));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        auto allocations = std::async(std::launch::async, [] {
            const char* const unreadable = reinterpret_cast<const char*>(16);
            const wchar_t* const unreadableWide = reinterpret_cast<const wchar_t*>(16);
            const long before = g_allocations.load();
            Log::Debug("debug %s %d", unreadable, 1);
            Log::Verbose(L"verbose %s %.3f", unreadableWide, 1.5);
            Log::Information("information %s", unreadable);
            Log::Information(L"information %s", unreadableWide);
            Log::LogCppCall("scope %s", unreadable);  // entered and left
            Log::LogCppCall(L"scope %s", unreadableWide);
            return g_allocations.load() - before;
        });
        EXPECT_EQ(allocations.wait_for(std::chrono::seconds(5)), std::future_status::ready)
            << "a dropped call waited for the lock";
        lock.Unlock();
        EXPECT_EQ(allocations.get(), 0);
    }
    const Lines logged = LogLines(root / "perf.log");
    CLogEngine::GetInstance().Shutdown();
    Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    Log::SetLogPath(Path("other.log").c_str());
    Log::Error(L"after");
    EXPECT_EQ(LogLines(root / "perf.log"), logged);
    EXPECT_FALSE(fs::exists(root / "other.log"));
    EXPECT_EQ(g_logLevel.load(), LOGLEVEL_OFF);
}

TEST_F(AllocationTest, LinesAllocateNothingAfterTheFirst) {
    Log::SetLogPath(Path("perf.log").c_str());
    Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    Log::Information("request %d from %s took %.3f ms", 1, "10.0.0.1", 12.345);
    Log::Information(L"request %d from %s took %.3f ms", 1, L"10.0.0.1", 12.345);
    const long before = g_allocations.load();
    Log::Error("error %d: \xC3\xA9\xE2\x82\xAC %S", 2, L"wide text");
    Log::Verbose(L"verbose %d: \u00E9\u20AC %S", 3, "narrow text");
    EXPECT_EQ(g_allocations.load() - before, 0);
    EXPECT_EQ(LogLines(root / "perf.log").size(), 4u) << "the lines were written";
}

// The plain setters report a failure that throws (here: no memory) as false,
// and work once memory is back; a null path is refused. The first call into
// the library. On POSIX, a path that cannot be converted names nothing.
TEST_F(AllocationTest, PlainSettersReadFalseOnFailure) {
    const std::wstring log = Path("app.log");
    const std::u16string folder = Utf16(root);  // too long to be held without the heap
    g_failAllocations = true;
    const bool results[] = {SetLogLevel(2), SetLogFilePath(log.c_str()), SetLogFilePath(nullptr),
#ifndef _WIN32
                            platform::PathExists(folder.c_str())
#endif
    };
    g_failAllocations = false;
    EXPECT_EQ(std::count(std::begin(results), std::end(results), true), 0);
    EXPECT_TRUE(SetLogFilePath(log.c_str()) && SetLogLevel(2));
}

}  // namespace
}  // namespace vzv::test
