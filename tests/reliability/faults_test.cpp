// Faults of the file system and of standard output: lines are dropped,
// nothing crashes or holds up another thread, and logging resumes once a
// usable path is set. (Each file-system call failing with each of its
// errors, a log held by another process among them, is the crash-point
// suite's.)
#include "reliability_fixture.h"

#include <cstdlib>
#include <memory>

namespace vzv::test {
namespace {

// Lines into each place that cannot be used, none of which may end the
// process; then logging resumes in a fresh place, and again after a default
// name in a folder from a huge PROGRAMDATA.
TEST_F(ReliabilityTest, PathsThatCannotBeUsed) {
    ASSERT_TRUE(SetLogFilePath(Path("first/app.log").c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::Information("before");
    WriteBytes(root / "blocker", "a file where a folder should be");
    std::string deep = root.u8string();
    for (int i = 0; i < 40; ++i) deep += "/" + std::string(100, static_cast<char>('a' + i % 26));
    std::vector<std::string> paths{
        (root / "blocker" / "sub" / "app.log").u8string(),
        deep + "/app.log",                                       // about 4 kB in all
        root.u8string() + "/" + std::string(300, 'n') + ".log",  // one name too long
        root.u8string() + "/dir/" + std::string(50000, 'p') + ".log",
    };
#ifdef _WIN32
    char letter = 'Z';
    while (letter > 'D' && fs::exists(std::string(1, letter) + ":\\")) --letter;
    paths.push_back(std::string(1, letter) + ":\\logs\\app.log");  // a missing drive
#else
    paths.push_back("/proc/vzv-reliability/app.log");  // refused even to root
#endif
    for (const std::string good : {"good", "good-again"}) {
        for (const std::string& path : paths) {
            SCOPED_TRACE(path.substr(0, 120));
            SetLogFilePath(Wide(fs::u8path(path)).c_str());
            for (int i = 0; i < 200; ++i) Log::Information("during %d", i);
            Log::Error("error during");
        }
        SetLogFilePath(Path(good + "/app.log").c_str());
        Log::Information("after");
        EXPECT_EQ(LogLines(root / good / "app.log"), Lines{"2:after"});
        SetEnv("PROGRAMDATA", root.u8string() + "/" + std::string(5000, 'e'));
        paths = {root.u8string() + "/x/"};
    }
    EXPECT_EQ(LogLines(root / "good" / "app.startup.log"), Lines{"2:before"});
}

// A client whose standard output is a pipe that nobody reads: one thread's
// report of ill-formed text blocks there, and another thread's line is still
// written at once.
TEST_F(ReliabilityTest, ReportStalledOnStandardOutputHoldsUpNoOtherThread) {
    const fs::path log = root / "app.log";
    ChildProcess child(kChild, {"-", "stalled", log.u8string()});
    const std::u16string line = u"|2| well-formed\r\n";
    EXPECT_TRUE(WaitForOutput(log, {reinterpret_cast<const char*>(line.data()), 2 * line.size()}));
}

#ifndef _WIN32  // a full volume is simulated on Linux only (tmpfs)
TEST_F(ReliabilityTest, FullDisk) {
    const fs::path mount = root / "small";
    fs::create_directories(mount);
    const std::string command = "mount -t tmpfs -o size=64k vzv-full '" + mount.string() + "'";
    if (std::system((command + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs (needs root)";
    const std::shared_ptr<void> unmount(
        nullptr, [&](void*) { std::system(("umount -l '" + mount.string() + "'").c_str()); });

    // Ballast that frees room later, as a cleaned-up disk would.
    WriteBytes(mount / "ballast", std::string(16384, 'b'));
    SetLogFilePath(Wide(mount / "app.log").c_str());
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    const std::string filler(300, 'x');
    Lines expected;
    for (int i = 0; i < 400; ++i) {
        Log::Information("%d %s", i, filler.c_str());
        expected.push_back("2:" + std::to_string(i) + " " + filler);
    }
    expected.resize(LogLines(mount / "app.log").size());  // the lines that fitted
    ASSERT_LT(expected.size(), 400u) << "the disk never filled";
    fs::remove(mount / "ballast");
    Log::Information("%d %s", 400, filler.c_str());
    expected.push_back("2:400 " + filler);
    EXPECT_EQ(LogLines(mount / "app.log"), expected);
}
#endif

}  // namespace
}  // namespace vzv::test
