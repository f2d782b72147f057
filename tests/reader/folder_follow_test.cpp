// --follow DIR with --state: logs that appear are taken up, and a reader run
// again goes on where it stopped, also in a log that rotated meanwhile.
#include "reader_fixture.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace vzv::test {
namespace {

using Lines = std::vector<std::string>;

TEST_F(ReaderTest, FolderFollowResumesWithoutLossOrRepeat) {
    fs::create_directories(File("logs"));
    const Lines follow{"--follow", "@logs", "--state", "@state", "--out", "@out.json"};
    const auto shipped = [&] {
        Lines texts;
        for (const std::string& line : SplitLines(ReadBytes(File("out.json"))))
            if (JsonField(line, "log.level_number") != "0" || line.find("Switch") == std::string::npos)
                texts.push_back(JsonTexts({line})[0]);
        return texts;
    };
    const auto runOnce = [&] {
        Lines args = follow;
        args.insert(args.end(), {"--follow-for", "0"});
        const ReaderRun run = Run(args);
        EXPECT_EQ(run.status, 0) << run.err;
    };

    auto a = Writer("logs/a.log");
    a->WriteNarrow(2, "a1");
    runOnce();
    EXPECT_EQ(shipped(), Lines{"a1"});

    // While the reader is away: a rotation and a new log.
    a->WriteNarrow(2, "a2");
    MakeFull(*a, "logs/a.log");
    a->WriteNarrow(2, "a3");
    a->WriteNarrow(2, "a4");  // rotates first
    Writer("logs/b.log")->WriteNarrow(2, "b1");
    runOnce();
    runOnce();
    Lines expected{"a1", "a2", "a3", "Runtime Log continue", "=========", "a4", "b1"};
    EXPECT_EQ(shipped(), expected);

    // A log that appears while it follows.
    std::thread reader([&] {
        Lines args = follow;
        args.insert(args.end(), {"--follow-for", "5"});
        std::system(Command(args, File("follow.out"), File("follow.err")).c_str());
    });
    a->WriteNarrow(2, "a5");
    const auto shippedLast = [&](const std::string& text) {
        for (int i = 0; i < 200 && shipped().back() != text; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    };
    shippedLast("a5");
    Writer("logs/c.log")->WriteNarrow(2, "c1");
    shippedLast("c1");
    reader.join();
    expected.insert(expected.end(), {"a5", "c1"});
    EXPECT_EQ(shipped(), expected);
}

}  // namespace
}  // namespace vzv::test
