// After Shutdown, as at unload, no call reaches a file or changes the level.
// Each test runs in a fresh process: the engine is process-wide.
#include "engine/log_engine.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

namespace vzv {
namespace {

TEST(EngineLifecycle, NothingHappensAfterShutdown) {
    test::ScratchDir dir("lifecycle");
    CLogEngine& engine = CLogEngine::GetInstance();
    engine.SetLevel(LOGLEVEL_INFO);
    engine.SetPath((dir / "app.log").c_str());
    engine.LogInfo(u"before");
    engine.Shutdown();
    engine.LogError(u"after");
    engine.LogInfo("after");
    engine.SetLevel(LOGLEVEL_VERBOSE);
    engine.SetPath((dir / "other.log").c_str());
    engine.Shutdown();
    EXPECT_EQ(test::LogLines(dir.path() / "app.log"), std::vector<std::string>{"2:before"});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "other.log"));
    EXPECT_EQ(g_logLevel.load(), LOGLEVEL_INFO);
}

}  // namespace
}  // namespace vzv
