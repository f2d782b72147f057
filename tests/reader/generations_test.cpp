// Logs in several files made by the library's own path change and rotation:
// a start-up log, an _old generation and the live log read merged in time
// order, and a folder followed across runs of the reader.
#include "reader_fixture.h"

#include "engine/log_engine.h"

namespace vzv::test {

TEST_F(ReaderTest, AllMergesStartupLogOldGenerationAndLiveLog) {
    CLogEngine& engine = CLogEngine::GetInstance();
    engine.SetPath((dir / "first.log").c_str());
    engine.SetLevel(LOGLEVEL_VERBOSE);
    engine.LogInfo("start-up 1");
    engine.LogInfo("start-up 2");
    engine.SetPath((dir / "app.log").c_str());  // first.log becomes app.startup.log
    engine.LogInfo("old 1");
    MakeFull(*engine.Writer(), "app.log");
    engine.LogInfo("old 2");  // into the full file; the next line rotates it
    engine.LogInfo("new 1");
    engine.LogInfo("new 2");
    engine.Shutdown();

    const Lines merged{"start-up 1",           "start-up 2", "old 1", "old 2",
                       "Runtime Log continue", "=========",  "new 1", "new 2"};
    const std::string all = Run({"--all", "--json", "@app.log"});
    EXPECT_EQ(Records(all), merged);
    // The space the test left unwritten in the full file is reported, not printed.
    EXPECT_TRUE(std::regex_search(err, std::regex("app.log_old: \\d+ NUL characters skipped")))
        << err;
    Lines files;
    for (const std::string& file : Field(all, "log.file.path"))
        files.push_back(file.substr(file.find_last_of("/\\") + 1));
    files.erase(std::unique(files.begin(), files.end()), files.end());
    EXPECT_EQ(files, (Lines{"app.startup.log", "app.log_old", "app.log"}));
    // Without --all, the live log alone.
    EXPECT_EQ(Records(Run({"--json", "@app.log"})), Lines(merged.end() - 4, merged.end()));
}

// --follow DIR with --state: a reader run again goes on where it stopped,
// also in a log that rotated meanwhile, and takes up logs that appeared.
TEST_F(ReaderTest, FolderFollowResumesWithoutLossOrRepeat) {
    fs::create_directories(File("logs"));
    const auto runOnce = [&] {
        Run({"--follow", "@logs", "--state", "@state", "--out", "@out.json", "--follow-for", "0"});
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
    const Lines shipped{"a1", "a2", "a3", "Runtime Log continue", "=========", "a4", "b1"};
    EXPECT_EQ(runOnce(), shipped);
}

}  // namespace vzv::test
