// A log with its start-up log and its _old generation, made by the library's
// own path change and rotation, read merged in time order.
#include "reader_fixture.h"

#include "engine/log_engine.h"

#include <algorithm>
#include <regex>

namespace vzv::test {
namespace {

// Level-switch lines depend on the engine's order of work, not on the reader.
Lines WithoutLevelSwitches(Lines texts) {
    texts.erase(std::remove_if(texts.begin(), texts.end(),
                               [](const std::string& t) { return t.rfind("Switch", 0) == 0; }),
                texts.end());
    return texts;
}

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
    ASSERT_TRUE(fs::exists(File("app.startup.log")));
    ASSERT_TRUE(fs::exists(File("app.log_old")));

    const Lines merged{"start-up 1",           "start-up 2", "old 1", "old 2",
                       "Runtime Log continue", "=========",  "new 1", "new 2"};
    const ReaderRun all = Run({"--all", "--json", "@app.log"});
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(WithoutLevelSwitches(JsonTexts(all.out)), merged);
    Lines files;
    for (const std::string& line : all.out) {
        const std::string file = JsonField(line, "log.file.path");
        files.push_back(file.substr(file.find_last_of("/\\") + 1));
    }
    files.erase(std::unique(files.begin(), files.end()), files.end());
    EXPECT_EQ(files, (Lines{"app.startup.log\"", "app.log_old\"", "app.log\""}));
    // The space the test left unwritten in the full file is reported, not printed.
    EXPECT_TRUE(std::regex_search(all.err, std::regex("app.log_old: \\d+ NUL characters skipped")))
        << all.err;

    // Without --all, the live log alone.
    EXPECT_EQ(WithoutLevelSwitches(JsonTexts(Run({"--json", "@app.log"}).out)),
              Lines(merged.end() - 4, merged.end()));
}

}  // namespace
}  // namespace vzv::test
