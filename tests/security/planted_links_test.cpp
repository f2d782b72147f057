// Links planted where the library writes, copies, moves or removes its files,
// each naming a victim outside the log folder. Every test runs in a fresh
// process with PROGRAMDATA at a scratch folder of its own. Whatever happens
// to the lines, the victim keeps its bytes, still exists, and its content
// never shows up in a file the library made.
#include "api/api_fixture.h"
#include "symbolic_link.h"

#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>  // mkfifo
#endif

namespace vzv::test {
namespace {

enum class Link { Symbolic, Hard };
enum class Place { LogPath, RotatedName, StartupName, PreviousFile };

const std::string kVictimBytes = "victim: not the library's to touch\n";

class PlantedLinkTest : public ApiTest {
protected:
    PlantedLinkTest() : m_outside("victim"), victim(m_outside.path() / "victim.dat") {
        WriteBytes(victim, kVictimBytes);
    }

    // Plants a link of `kind` at `at` naming the victim; the caller skips
    // when this system cannot make one.
    bool Plant(Link kind, const fs::path& at) const {
        fs::create_directories(at.parent_path());
        if (kind == Link::Symbolic) return MakeSymbolicLink(victim, at);
        std::error_code error;
        fs::create_hard_link(victim, at, error);
        return !error && fs::exists(at);
    }

    // Not written, not removed, not copied: the library reads through no link.
    void ExpectVictimUntouched() const {
        EXPECT_EQ(ReadBytes(victim), kVictimBytes);
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            std::error_code error;
            if (entry.is_regular_file() && !entry.is_symlink() && !fs::equivalent(entry.path(), victim, error)) {
                EXPECT_EQ(ReadBytes(entry.path()).find(kVictimBytes), std::string::npos) << entry.path();
            }
        }
    }

    // Plants a link of `kind` at `place` and drives the library past it.
    void Check(Link kind, Place place);

private:
    ScratchDir m_outside;

protected:
    const fs::path victim;
};

void PlantedLinkTest::Check(Link kind, Place place) {
    const fs::path logs = root / "logs";
    const fs::path log = logs / "app.log";
    if (place == Place::RotatedName) Prefill(log, 52428800 + 2);  // over the cap: line 51 rotates
    Log::Error("in P0");
    const fs::path p0 = ToPath(Log::GetLogPath());
    if (place == Place::PreviousFile) {
        Log::SetLogPath(Path("logs/first.log").c_str());  // P0 becomes logs/first.startup.log
        fs::remove(logs / "first.startup.log");
    }
    const fs::path planted = place == Place::LogPath       ? log
                             : place == Place::RotatedName ? logs / "app.log_old"
                             : place == Place::StartupName ? logs / "app.startup.log"
                                                           : logs / "first.startup.log";
    if (!Plant(kind, planted))
        GTEST_SKIP() << (kind == Link::Symbolic ? "symbolic" : "hard") << " links cannot be made here";
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::SetLogPath(Path("logs/app.log").c_str());
    for (int i = 0; i < 60; ++i) Log::Information("line %d", i);
    ExpectVictimUntouched();
    EXPECT_TRUE(fs::exists(fs::symlink_status(planted))) << "a link is not ours to remove";

    switch (place) {
    case Place::LogPath:  // lines dropped; logging goes on at the next plain path
        Log::SetLogPath(Path("logs/other.log").c_str());
        Log::Error("after");
        EXPECT_EQ(LogLines(logs / "other.log"), Lines{"1:after"});
        break;
    case Place::RotatedName: {
        // The rotated name takes the old file (POSIX replaces the name), or
        // keeps the link and the fresh file starts beside the log (Windows
        // keeps an existing name): either way logging goes on.
        const fs::path beside = logs / "app_.log";
        const Lines lines = LogLines(fs::exists(beside) ? beside : log);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines.front(), "0:Runtime Log continue");
        EXPECT_EQ(lines.back(), "2:line 59");
        break;
    }
    case Place::StartupName:  // the copy was refused: the previous file stays
        ASSERT_TRUE(fs::exists(p0));
        EXPECT_EQ(LogLines(p0).front(), "1:in P0");
        break;
    case Place::PreviousFile:  // not moved, and the new log starts afresh
        EXPECT_FALSE(fs::exists(logs / "app.startup.log"));
        EXPECT_EQ(LogLines(log).back(), "2:line 59");
        break;
    }
    ExpectVictimUntouched();
}

TEST_F(PlantedLinkTest, SymbolicLinkAtTheLogPath) { Check(Link::Symbolic, Place::LogPath); }
TEST_F(PlantedLinkTest, HardLinkAtTheLogPath) { Check(Link::Hard, Place::LogPath); }
TEST_F(PlantedLinkTest, SymbolicLinkAtTheRotatedName) { Check(Link::Symbolic, Place::RotatedName); }
TEST_F(PlantedLinkTest, HardLinkAtTheRotatedName) { Check(Link::Hard, Place::RotatedName); }
TEST_F(PlantedLinkTest, SymbolicLinkAtTheStartupName) { Check(Link::Symbolic, Place::StartupName); }
TEST_F(PlantedLinkTest, HardLinkAtTheStartupName) { Check(Link::Hard, Place::StartupName); }
TEST_F(PlantedLinkTest, SymbolicLinkAsThePreviousFile) { Check(Link::Symbolic, Place::PreviousFile); }
TEST_F(PlantedLinkTest, HardLinkAsThePreviousFile) { Check(Link::Hard, Place::PreviousFile); }

// Only the last component is guarded: a linked folder above the log works.
TEST_F(PlantedLinkTest, LinkedFolderAboveTheLogKeepsWorking) {
    fs::create_directories(root / "real");
    if (!MakeSymbolicLink(root / "real", root / "linked", true))
        GTEST_SKIP() << "symbolic links cannot be made here";
    Log::Error("in P0");
    Log::SetLogPath(Path("linked/app.log").c_str());
    Log::Error("through the linked folder");
    EXPECT_EQ(LogLines(root / "real" / "app.log"), Lines{"1:through the linked folder"});
    EXPECT_EQ(LogLines(root / "real" / "app.startup.log"), Lines{"1:in P0"});
}

// A FIFO at the log path must neither block the caller nor take lines.
TEST_F(PlantedLinkTest, FifoAtTheLogPathIsRefusedAtOnce) {
#ifdef _WIN32
    GTEST_SKIP() << "no FIFOs in the Windows file system";
#else
    ASSERT_EQ(::mkfifo((root / "app.log").c_str(), 0666), 0);
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::SetLogPath(Path("app.log").c_str());
    Log::Error("dropped");
    EXPECT_TRUE(fs::is_fifo(root / "app.log"));
#endif
}

// New files are created readable by others and writable by the owner only.
TEST_F(PlantedLinkTest, FreshFilesAreNotWritableByOthers) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX permissions";
#else
    Log::SetLogLevel(Log::LOGLEVEL_INFO);
    Log::SetLogPath(Path("fresh.log").c_str());
    const fs::perms perms = fs::status(root / "fresh.log").permissions();
    EXPECT_EQ(perms & (fs::perms::group_write | fs::perms::others_write | fs::perms::owner_exec),
              fs::perms::none);
    EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
#endif
}

}  // namespace
}  // namespace vzv::test
