// Rotation at the real cap while several threads log, and a rename that a
// reader blocks.
#include "reliability_fixture.h"

#include <set>
#include <thread>

namespace vzv::test {
namespace {

// Lines "t<k> n<i>" from `threads` threads, `each` per thread.
void LogFromThreads(int threads, int each) {
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([t, each] {
            for (int i = 0; i < each; ++i) Log::Information("t%d n%d", t, i);
        });
    for (std::thread& worker : workers) worker.join();
}

// Every line of `threads` x `each` exactly once across `parts`.
void ExpectEachOnce(const std::vector<Lines>& parts, int threads, int each) {
    std::multiset<std::string> all, expected;
    for (const auto& part : parts) all.insert(part.begin(), part.end());
    for (int t = 0; t < threads; ++t)
        for (int i = 0; i < each; ++i) expected.insert("t" + std::to_string(t) + " n" + std::to_string(i));
    EXPECT_EQ(all, expected);
}

class RotationTest : public ReliabilityTest {
protected:
    // The log filled to just below the cap, and logging on into it.
    void Start(std::uintmax_t prefill) {
        Prefill(log, prefill);
        ASSERT_TRUE(SetLogFilePath(Wide(log).c_str()));
        Log::SetLogLevel(Log::LOGLEVEL_INFO);
    }
    const fs::path log = root / "app.log";
    const fs::path old = root / "app.log_old";
    const fs::path beside = root / "app_.log";  // the fallback when the rename fails
    static constexpr std::uintmax_t kPrefill = kCap - 20000;

    // Whether a held file refuses to be renamed here (Windows does).
    bool HoldBlocksRename() {
        const fs::path probe = root / "probe";
        WriteBytes(probe, "x");
        FileHold hold(probe);
        std::error_code error;
        fs::rename(probe, root / "probe2", error);
        return hold.IsHeld() && error;
    }
};

TEST_F(RotationTest, LinesAroundARotationLandOnceInOldOrNew) {
    constexpr int kThreads = 4, kEach = 500;  // about 180 kB of lines
    Start(kPrefill);
    LogFromThreads(kThreads, kEach);

    ASSERT_TRUE(fs::exists(old));
    EXPECT_GT(fs::file_size(old), kCap);
    EXPECT_FALSE(fs::exists(beside));
    ExpectEachOnce({Texts(old, kPrefill), Texts(log)}, kThreads, kEach);
    const LogScan fresh = ScanLog(log);
    ASSERT_GE(fresh.lines.size(), 2u);
    EXPECT_EQ(fresh.lines[0].text, "Runtime Log continue");
    EXPECT_EQ(fresh.lines[1].text, "=========");
    EXPECT_EQ(ReadBytes(log).substr(0, 2), "\xFF\xFE");
}

TEST_F(RotationTest, LongHoldFallsBackBesideAndLosesNothing) {
    if (!HoldBlocksRename()) GTEST_SKIP() << "this system renames a file whatever holds it open";
    Start(kCap + 2);
    Log::Information("t0 n0");
    FileHold reader(log);
    ASSERT_TRUE(reader.IsHeld());
    for (int i = 1; i < 2 * kCheckEvery; ++i) Log::Information("t0 n%d", i);
    reader.Release();
    EXPECT_FALSE(fs::exists(old));
    ASSERT_TRUE(fs::exists(beside));
    EXPECT_GT(fs::file_size(log), kCap) << "the log that could not move was emptied";
    ExpectEachOnce({Texts(log, kCap + 2), Texts(beside)}, 1, 2 * kCheckEvery);
}

}  // namespace
}  // namespace vzv::test
