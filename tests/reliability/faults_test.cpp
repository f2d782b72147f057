// Faults of the file system: lines are dropped, nothing crashes, and logging
// resumes once a usable path is set.
#include "reliability_fixture.h"

#include <cstdlib>
#include <cstdio>

namespace vzv::test {
namespace {

class FaultsTest : public ReliabilityTest {
protected:
    // Logging on in "first/app.log" with one line.
    void SetUp() override {
        ASSERT_TRUE(SetLogFilePath(Path("first/app.log").c_str()));
        Log::SetLogLevel(Log::LOGLEVEL_INFO);
        Log::Information("before");
    }
    // Some lines into the faulty place; none may end the process.
    static void LogDuringFault() {
        for (int i = 0; i < 200; ++i) Log::Information("during %d", i);
        Log::Error("error during");
    }
    // Logging resumes in a fresh place, with the start-up log beside it.
    void ExpectResumes(const std::string& where) {
        SetLogFilePath(Path(where + "/app.log").c_str());
        Log::Information("after");
        EXPECT_EQ(Texts(root / where / "app.log"), std::vector<std::string>{"after"});
    }
    void ExpectStartupHoldsBefore(const std::string& where) {
        EXPECT_EQ(Texts(root / where / "app.startup.log"), std::vector<std::string>{"before"});
    }
};

TEST_F(FaultsTest, DirectoryThatCannotBeCreated) {
    WriteBytes(root / "blocker", "a file where a folder should be");
    std::vector<fs::path> impossible{root / "blocker" / "sub" / "app.log"};
#ifndef _WIN32
    impossible.push_back("/proc/vzv-reliability/app.log");  // refused even to root
#endif
    for (const fs::path& path : impossible) {
        SetLogFilePath(Wide(path).c_str());
        LogDuringFault();
        EXPECT_FALSE(fs::exists(path.parent_path()));
    }
    ExpectResumes("good");
    // Nothing was lost on the way: the first file followed as the start-up log.
    ExpectStartupHoldsBefore("good");
    EXPECT_FALSE(fs::exists(root / "first" / "app.log"));
}

TEST_F(FaultsTest, FullDisk) {
#ifdef _WIN32
    GTEST_SKIP() << "a full volume is simulated on Linux only (tmpfs)";
#else
    const fs::path mount = root / "small";
    fs::create_directories(mount);
    const std::string command = "mount -t tmpfs -o size=64k vzv-full '" + mount.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "cannot mount a tmpfs (needs root)";
    struct Unmount {
        std::string dir;
        ~Unmount() { std::system(("umount -l '" + dir + "'").c_str()); }
    } unmount{mount.string()};

    // Ballast that frees room later, as a cleaned-up disk would.
    WriteBytes(mount / "ballast", std::string(16384, 'b'));
    SetLogFilePath(Wide(mount / "app.log").c_str());
    const std::string filler(300, 'x');
    for (int i = 0; i < 400; ++i) Log::Information("%04d %s", i, filler.c_str());
    const std::size_t kept = ScanLog(mount / "app.log").lines.size();
    EXPECT_LT(kept, 400u) << "the disk never filled";
    fs::remove(mount / "ballast");
    for (int i = 400; i < 405; ++i) Log::Information("%04d %s", i, filler.c_str());

    // The lines that fitted, then those after the room came back: none cut.
    const LogScan full = ScanLog(mount / "app.log");
    EXPECT_EQ(full.broken, 0u);
    ASSERT_EQ(full.lines.size(), kept + 5);
    for (std::size_t i = 0; i < full.lines.size(); ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "%04zu ", i < kept ? i : 400 + (i - kept));
        ASSERT_EQ(full.lines[i].text.substr(0, 5), number) << "a line went missing";
    }
    ExpectResumes("good");
    ExpectStartupHoldsBefore("good");
    std::printf("[ figures ] full disk: %zu of 400 lines kept, then 5 of 5 once room came back\n",
                kept);
#endif
}

TEST_F(FaultsTest, LogDeletedOrRenamedWhileOpen) {
    const fs::path first = root / "first" / "app.log";
    std::error_code error;
    // Windows refuses both while the writer holds the file; POSIX allows them
    // and the lines go to the unlinked or renamed file.
    fs::remove(first, error);
    LogDuringFault();
    ExpectResumes("after-delete");

    const fs::path second = root / "after-delete" / "app.log";
    fs::rename(second, root / "renamed.log", error);
    LogDuringFault();
    ExpectResumes("after-rename");
    const fs::path holder = error ? second : root / "renamed.log";
    const std::vector<std::string> kept = Texts(holder);
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.back(), "error during") << "the renamed file got the lines meanwhile";
}

TEST_F(FaultsTest, MissingDrive) {
#ifndef _WIN32
    GTEST_SKIP() << "drive letters are a Windows matter";
#else
    char letter = 'Z';
    while (letter > 'D' && fs::exists(std::string(1, letter) + ":\\")) --letter;
    ASSERT_GT(letter, 'D') << "no free drive letter";
    SetLogFilePath(Wide(std::string(1, letter) + ":\\logs\\app.log").c_str());
    LogDuringFault();
    ExpectResumes("good");
    ExpectStartupHoldsBefore("good");
#endif
}

TEST_F(FaultsTest, VeryLongPaths) {
    std::string deep;
    for (int i = 0; i < 40; ++i) deep += "/" + std::string(100, static_cast<char>('a' + i % 26));
    const std::vector<std::string> longPaths{
        (root.u8string() + deep + "/app.log"),                    // about 4 kB in all
        (root.u8string() + "/" + std::string(300, 'n') + ".log"),  // one name too long
        (root.u8string() + "/dir/" + std::string(20000, 'p')),
    };
    for (const std::string& path : longPaths) {
        SetLogFilePath(Wide(fs::u8path(path)).c_str());
        LogDuringFault();
    }
    ExpectResumes("good");
    ExpectStartupHoldsBefore("good");
}

}  // namespace
}  // namespace vzv::test
