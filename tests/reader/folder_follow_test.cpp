// --follow DIR with --state: a reader run again goes on where it stopped,
// also in a log that rotated meanwhile, and takes up logs that appeared.
#include "reader_fixture.h"

namespace vzv::test {
namespace {

TEST_F(ReaderTest, FolderFollowResumesWithoutLossOrRepeat) {
    fs::create_directories(File("logs"));
    const auto shipped = [&] {
        Lines texts;
        for (const std::string& line : SplitLines(ReadBytes(File("out.json"))))
            if (JsonField(line, "log.level_number") != "0" || line.find("Switch") == std::string::npos)
                texts.push_back(JsonTexts({line})[0]);
        return texts;
    };
    const auto runOnce = [&] {
        const ReaderRun run =
            Run({"--follow", "@logs", "--state", "@state", "--out", "@out.json", "--follow-for", "0"});
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
    EXPECT_EQ(shipped(), (Lines{"a1", "a2", "a3", "Runtime Log continue", "=========", "a4", "b1"}));
}

}  // namespace
}  // namespace vzv::test
