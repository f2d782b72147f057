// Many threads logging at every level while another changes the level and
// moves the log back and forth: no deadlock, and every line once, whole, in
// order.
#include "reliability_fixture.h"

#include <atomic>
#include <map>
#include <regex>
#include <set>

namespace vzv::test {
namespace {

TEST_F(ReliabilityTest, ThreadsLevelChangesAndMovesLoseNothing) {
    constexpr int kLoggers = 8, kLinesEach = 1500;
    const fs::path a = root / "a" / "app.log", b = root / "b" / "app.log";
    ASSERT_TRUE(SetLogFilePath(Wide(a).c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    std::atomic<int> running{kLoggers};
    std::vector<std::thread> threads;
    for (int t = 0; t < kLoggers; ++t)
        threads.emplace_back([t, &running] {
            // Line i at level i % 4 + 1.
            static void (*const calls[])(const char*, ...) = {Log::Error, Log::Information,
                                                              Log::Debug, Log::Verbose};
            for (int i = 0; i < kLinesEach; ++i) {
                // Now and then a gap, so that the level changer and the mover
                // get the lock between lines and not only after them.
                if (i % 8 == 7) std::this_thread::yield();
                calls[i % 4]("t%d n%d L%d", t, i, i % 4 + 1);
            }
            --running;
        });
    // Meanwhile the level cycles and the log moves back and forth, at least
    // twice.
    for (int moves = 1; running > 0 || moves < 3; ++moves) {
        Log::SetLogLevel(static_cast<Log::eLOGLEVEL>(moves % 4 + 1));
        Log::SetLogPath(Wide(moves % 2 ? a : b).c_str());
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    for (std::thread& thread : threads) thread.join();

    // Every line whole, of one thread and at the level it names, or one of
    // the library's level switches; each once, and in order within a file.
    // The lines before the first move went to the start-up log.
    static const std::regex shape(
        R"((\d):t(\d) n(\d+) L\1|0:Switch Runtime Log Level from '\w+' to '\w+')");
    std::set<std::pair<int, int>> seen;
    for (const fs::path& file :
         {a, b, a.parent_path() / "app.startup.log", b.parent_path() / "app.startup.log"}) {
        std::map<int, int> last;  // thread -> number
        for (const std::string& line : LogLines(file)) {
            std::smatch m;
            ASSERT_TRUE(std::regex_match(line, m, shape)) << "interleaved: " << line;
            if (!m[2].matched) continue;
            const int thread = std::stoi(m[2]), number = std::stoi(m[3]);
            EXPECT_TRUE(seen.insert({thread, number}).second) << "duplicated: " << line;
            EXPECT_GT(number, std::exchange(last.try_emplace(thread, -1).first->second, number))
                << "out of order in " << file;
        }
    }
    // Errors pass at every level the changer sets: all of them are there.
    for (int t = 0; t < kLoggers; ++t)
        for (int i = 0; i < kLinesEach; i += 4) EXPECT_TRUE(seen.count({t, i})) << t << " " << i;
}

}  // namespace
}  // namespace vzv::test
