// Damaged logs are read as far as they are whole; what is not a log is refused.
#include "reader_fixture.h"

namespace vzv::test {
namespace {


bool Says(const ReaderRun& run, const std::string& text) {
    return run.err.find(text) != std::string::npos;
}

TEST_F(ReaderTest, FileCutShortByACrash) {
    auto writer = Writer("app.log");
    writer->WriteNarrow(2, "first");
    writer->Write(2, u"lone \xDC00 half");
    writer->WriteNarrow(2, "second");
    writer.reset();
    std::string bytes = ReadBytes(File("app.log"));
    // The end cut inside the last line's third character, and unwritten
    // space after the first line.
    bytes.resize(bytes.size() - 2 * std::string("ond\r\n").size() - 1);
    const std::string firstEnd("t\0\r\0\n\0", 6);
    bytes.insert(bytes.find(firstEnd) + firstEnd.size(), std::string(64, '\0'));
    WriteBytes(File("app.log"), bytes);

    const ReaderRun run = Run({"--json", "@app.log"});
    EXPECT_EQ(run.status, 0);
    const Lines texts = JsonTexts(run.out);
    ASSERT_FALSE(texts.empty()) << run.err;
    EXPECT_EQ(Lines(texts.begin() + 1, texts.end()),
              (Lines{"first", "lone \xEF\xBF\xBD half", "se"}));
    EXPECT_TRUE(Says(run, "odd number of bytes")) << run.err;
    EXPECT_TRUE(Says(run, "1 invalid UTF-16")) << run.err;
    EXPECT_TRUE(Says(run, "32 NUL")) << run.err;
    EXPECT_TRUE(Says(run, "no line end")) << run.err;
}

TEST_F(ReaderTest, WhatIsNotALogIsRefusedClearly) {
    WriteBytes(File("empty.log"), "");
    ReaderRun run = Run({"@empty.log"});
    EXPECT_EQ(run.status, 0) << "an empty log is a log without records";
    EXPECT_EQ(run.out, Lines{});
    EXPECT_TRUE(Says(run, "empty log")) << run.err;

    std::string binary;
    for (int i = 0; i < 1000; ++i) binary += static_cast<char>(i * 7);
    WriteBytes(File("binary.log"), binary);
    // The right line in the wrong encoding, and an odd number of bytes.
    WriteBytes(File("utf8.log"), " 1234 | 26.12.05 14:05:09.123 |2| text\r\n ");
    for (const char* name : {"@binary.log", "@utf8.log"}) {
        run = Run({name});
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.out, Lines{}) << name;
        EXPECT_TRUE(Says(run, "not a log of this library")) << run.err;
    }
    run = Run({"@missing.log"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Says(run, "cannot open")) << run.err;

    fs::create_directory(File("logs"));
    WriteBytes(File("logs/readme.txt"), "not a log by name");
    run = Run({"@logs"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Says(run, "no log files")) << run.err;
    fs::copy_file(File("binary.log"), File("logs/binary.log"));
    run = Run({"@logs"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Says(run, "no logs of this library")) << run.err;
    // Beside a real log, a file that is not one is skipped with a note.
    auto writer = Writer("logs/app.log");
    writer->WriteNarrow(2, "hello");
    writer.reset();
    run = Run({"--json", "@logs"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(JsonTexts(run.out).back(), "hello");
    EXPECT_TRUE(Says(run, "binary.log: skipped")) << run.err;

    run = Run({"--colour", "@logs"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Says(run, "unknown option --colour")) << run.err;
}

}  // namespace
}  // namespace vzv::test
