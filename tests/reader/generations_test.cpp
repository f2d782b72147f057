// Logs in several files: a start-up log, an _old generation of the writer's
// rotation and the live log read merged in time order, and a folder followed
// across runs of the reader.
#include "reader_fixture.h"

namespace vzv::test {

TEST_F(ReaderTest, AllMergesStartupLogOldGenerationAndLiveLog) {
    auto live = Writer("app.log");
    live->WriteNarrow(2, "old 1");
    MakeFull(*live, "app.log");
    live->WriteNarrow(2, "old 2");  // into the full file; the next line rotates it
    live->WriteNarrow(2, "new");
    live.reset();
    // A start-up log whose record is the latest: merged by time, not by file.
    std::string late;
    for (const char c : std::string("    7 | 37.12.31 23:59:59.999 |2| late\r\n")) late += {c, 0};
    WriteBytes(File("app.startup.log"), late);

    const Lines merged{"old 1", "old 2", "Runtime Log continue", "=========", "new", "late"};
    const std::string all = Run("--all --json @app.log");
    EXPECT_EQ(Records(all), merged);
    for (const char* file : {"app.startup.log\"", "app.log_old\"", "app.log\""})
        EXPECT_NE(all.find(file), std::string::npos) << file;
    // Without --all, the live log alone.
    EXPECT_EQ(Records(Run("--json @app.log")), Lines(merged.begin() + 2, merged.end() - 1));
}

// --follow DIR with --state: a reader run again goes on where it stopped,
// also in a log that rotated meanwhile, and takes up logs that appeared.
TEST_F(ReaderTest, FolderFollowResumesWithoutLossOrRepeat) {
    fs::create_directories(File("logs"));
    const auto runOnce = [&] {
        Run("--follow @logs --state @state --out @out.json --follow-for 0");
        return Records(ReadBytes(File("out.json")));
    };
    auto a = Writer("logs/a.log");
    a->WriteNarrow(2, "a1");
    EXPECT_EQ(runOnce(), Lines{"a1"});

    // While the reader is away: a rotation and a new log.
    a->WriteNarrow(2, "a2");
    MakeFull(*a, "logs/a.log");
    a->WriteNarrow(2, "a3");
    a->WriteNarrow(2, "a4");  // rotates first
    Writer("logs/b.log")->WriteNarrow(2, "b1");
    runOnce();
    EXPECT_EQ(runOnce(),
              (Lines{"a1", "a2", "a3", "Runtime Log continue", "=========", "a4", "b1"}));
}

}  // namespace vzv::test
