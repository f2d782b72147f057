// Rotation at the real cap while threads log, with a child process started
// while the log was open: every line lands once in the old file or the new
// one, and the child holds nothing of the log (on Windows a handle it had
// inherited would block the rename).
#include "reliability_fixture.h"

#include <set>

namespace vzv::test {
namespace {

using RotationTest = ReliabilityTest;

TEST_F(RotationTest, LinesAroundARotationLandOnceAndNoChildInheritsTheLog) {
    constexpr std::uintmax_t kCap = 52428800, kPrefill = kCap - 20000;
    constexpr int kThreads = 4, kEach = 500;  // about 180 kB of lines
    const fs::path log = root / "app.log", old = root / "app.log_old", output = root / "child.txt";
    Prefill(log, kPrefill);
    ASSERT_TRUE(SetLogFilePath(Wide(log).c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::Information("open");
    ChildProcess child(kChild, {output.u8string(), "hold"});

    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([t] {
            for (int i = 0; i < kEach; ++i) Log::Information("t%d n%d", t, i);
        });
    for (std::thread& worker : workers) worker.join();

    EXPECT_GT(fs::file_size(old), kCap);
    EXPECT_FALSE(fs::exists(root / "app_.log")) << "the rename was blocked";
    // The fresh file's header among them.
    std::multiset<std::string> logged, expected{"2:open", "0:Runtime Log continue", "0:========="};
    for (const Lines& part : {LogLines(old, kPrefill), LogLines(log)})
        logged.insert(part.begin(), part.end());
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kEach; ++i)
            expected.insert("2:t" + std::to_string(t) + " n" + std::to_string(i));
    EXPECT_EQ(logged, expected);

    // POSIX: the descriptors the child had after exec, none of them our log.
    ASSERT_TRUE(WaitForOutput(output, "ready"));
    EXPECT_EQ(ReadBytes(output).find("app.log"), std::string::npos) << ReadBytes(output);
}

}  // namespace
}  // namespace vzv::test
