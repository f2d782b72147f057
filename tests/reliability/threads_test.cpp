// Many threads logging at every level while another changes the level and
// moves the log back and forth, across a rotation at the real size cap, with
// a child process started while the log was open: no deadlock, every line
// once, whole, in order, and the child holds nothing of the log (on Windows a
// handle it had inherited would block the rotation's rename).
#include "reliability_fixture.h"

#include <atomic>
#include <map>
#include <regex>
#include <set>

namespace vzv::test {
namespace {

TEST_F(ReliabilityTest, ThreadsLevelChangesMovesAndARotationLoseNothing) {
    constexpr int kLoggers = 8, kLinesEach = 1500;
    constexpr std::uintmax_t kCap = 52428800, kPrefill = kCap - 20000;
    const fs::path a = root / "a" / "app.log", b = root / "b" / "app.log";
    const fs::path old = root / "b" / "app.log_old", output = root / "child.txt";
    // One line in the first path, then the log in b, prefilled close to the
    // cap and open when the child starts.
    Prefill(b, kPrefill);
    ASSERT_TRUE(SetLogFilePath(Path("first.log").c_str()));
    Log::SetLogLevel(Log::LOGLEVEL_VERBOSE);
    Log::Information("open");
    Log::SetLogPath(Wide(b).c_str());
    Log::Information("open");
    ChildProcess child(kChild, {output.u8string(), "hold"});
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
    EXPECT_GT(fs::file_size(old), kCap);
    EXPECT_FALSE(fs::exists(root / "b" / "app_.log")) << "the rename was blocked";

    // Every line whole, of one thread and at the level it names, or one of
    // the library's level switches, the rotation's header or an "open" line;
    // each once, and in order within a file.
    static const std::regex shape(R"((\d):t(\d) n(\d+) L\1|0:Switch Runtime Log Level from '\w+' )"
                                  R"(to '\w+'|0:Runtime Log continue|0:=========|2:open)");
    std::set<std::pair<int, int>> seen;
    for (const auto& [file, from] : std::map<fs::path, std::uintmax_t>{
             {a, 0}, {old, kPrefill}, {b, 0}, {root / "a" / "app.startup.log", 0},
             {root / "b" / "app.startup.log", 0}}) {
        std::map<int, int> last;  // thread -> number
        for (const std::string& line : LogLines(file, from)) {
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
    // POSIX: the descriptors the child had after exec, none of them our log.
    ASSERT_TRUE(WaitForOutput(output, "ready"));
    EXPECT_EQ(ReadBytes(output).find("app.log"), std::string::npos) << ReadBytes(output);
}

}  // namespace
}  // namespace vzv::test
