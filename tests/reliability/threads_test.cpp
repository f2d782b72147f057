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

constexpr int kLoggers = 8, kLinesEach = 1500;

// Line i of a thread goes out at level i % 4 + 1, narrow or wide by thread.
void LogNumbered(int thread) {
    using NarrowCall = void (*)(const char*, ...);
    using WideCall = void (*)(const wchar_t*, ...);
    static const NarrowCall narrow[] = {Log::Error, Log::Information, Log::Debug, Log::Verbose};
    static const WideCall wide[] = {Log::Error, Log::Information, Log::Debug, Log::Verbose};
    for (int i = 0; i < kLinesEach; ++i) {
        // Now and then a gap, so that the level changer and the mover get
        // the lock between lines and not only after them.
        if (i % 8 == 7) std::this_thread::yield();
        if (thread % 2 == 1)
            wide[i % 4](L"t%d n%d L%d", thread, i, i % 4 + 1);
        else
            narrow[i % 4]("t%d n%d L%d", thread, i, i % 4 + 1);
    }
}

TEST_F(ReliabilityTest, ThreadsLevelChangesAndMovesLoseNothing) {
    const fs::path a = root / "a" / "app.log", b = root / "b" / "app.log";
    ASSERT_TRUE(SetLogFilePath(Wide(a).c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    Log::Error("before the moves");
    // The first move before the threads start: the start-up log then holds
    // exactly the line above.
    Log::SetLogPath(Wide(b).c_str());

    std::atomic<int> running{kLoggers};
    std::vector<std::thread> threads;
    for (int t = 0; t < kLoggers; ++t)
        threads.emplace_back([t, &running] {
            LogNumbered(t);
            --running;
        });
    // Meanwhile the level cycles and the log moves back and forth, at least
    // twice more, so the start-up log has followed both ways.
    bool atB = true;
    for (int moves = 1; running > 0 || moves < 3; ++moves) {
        Log::SetLogLevel(static_cast<Log::eLOGLEVEL>(moves % 4 + 1));
        atB = !atB;
        Log::SetLogPath(Wide(atB ? b : a).c_str());
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    for (std::thread& thread : threads) thread.join();

    // Both logs, continued on each return, and the start-up log beside the
    // last one only.
    const fs::path startup = (atB ? b : a).parent_path() / "app.startup.log";
    std::set<fs::path> files;
    for (const fs::path& dir : {root / "a", root / "b"})
        for (const auto& entry : fs::directory_iterator(dir)) files.insert(entry.path());
    EXPECT_EQ(files, (std::set<fs::path>{a, b, startup}));
    EXPECT_EQ(LogLines(startup), Lines{"1:before the moves"});

    // Every line whole, of one thread and at the level it names, or one of
    // the library's level switches; each once, and in order within a file.
    static const std::regex shape(
        R"((\d):t(\d) n(\d+) L\1|0:Switch Runtime Log Level from '\w+' to '\w+')");
    std::set<std::pair<int, int>> seen;
    for (const fs::path& file : {a, b}) {
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
