// --follow while the library logs: through a rotation and a recreation of the file.
#include "reader_fixture.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace vzv::test {
namespace {


TEST_F(ReaderTest, FollowsAcrossRotationAndRecreation) {
    auto writer = Writer("app.log");
    writer->WriteNarrow(2, "before");
    const fs::path out = File("follow.out");
    std::thread reader([&] {
        std::system(
            Command({"--json", "--follow-for", "10", "@app.log"}, out, File("follow.err")).c_str());
    });
    const auto printed = [&](const std::string& text) {
        for (int i = 0; i < 200 && ReadBytes(out).find(text) == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return ReadBytes(out).find(text) != std::string::npos;
    };
    EXPECT_TRUE(printed("before"));
    for (int i = 0; i < 3; ++i) writer->WriteNarrow(2, ("old " + std::to_string(i)).c_str());
    MakeFull(*writer, "app.log");
    writer->WriteNarrow(2, "old last");
    writer->WriteNarrow(2, "new 0");  // rotates first
    writer->WriteNarrow(2, "new 1");
    EXPECT_TRUE(printed("new 1"));

    // Removed and made anew, as a path change does for a missing file. A
    // reader's handle may delay the new name for a moment on Windows.
    writer->Close();
    fs::remove(File("app.log"));
    for (int i = 0; i < 100 && !fs::exists(File("app.log")); ++i) {
        WriteBytes(File("app.log"), "");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    writer->WriteNarrow(2, "recreated");
    EXPECT_TRUE(printed("recreated"));
    reader.join();

    const Lines texts = JsonTexts(SplitLines(ReadBytes(out)));
    ASSERT_FALSE(texts.empty()) << ReadBytes(File("follow.err"));
    EXPECT_EQ(Lines(texts.begin() + 1, texts.end()),
              (Lines{"before", "old 0", "old 1", "old 2", "old last", "Runtime Log continue",
                     "=========", "new 0", "new 1", "recreated"}));
}

}  // namespace
}  // namespace vzv::test
