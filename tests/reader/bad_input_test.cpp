// What is not a log is refused clearly.
#include "reader_fixture.h"

namespace vzv::test {
namespace {

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
    EXPECT_EQ(Lines(texts.begin() + 1, texts.end()), (Lines{"first", "lone \xEF\xBF\xBD half", "se"}));
    for (const char* says : {"odd number of bytes", "1 invalid UTF-16", "32 NUL", "no line end"})
        EXPECT_NE(run.err.find(says), std::string::npos) << says << " in " << run.err;
}

TEST_F(ReaderTest, WhatIsNotALogIsRefusedClearly) {
    WriteBytes(File("empty.log"), "");
    std::string binary;
    for (int i = 0; i < 1000; ++i) binary += static_cast<char>(i * 7);
    WriteBytes(File("binary.log"), binary);
    // The right line in the wrong encoding, and an odd number of bytes.
    WriteBytes(File("utf8.log"), " 1234 | 26.12.05 14:05:09.123 |2| text\r\n ");
    fs::create_directory(File("logs"));
    WriteBytes(File("logs/readme.txt"), "not a log by name");
    const struct {
        Lines args;
        int status;
        const char* says;
        const char* then;  // a file to add to logs/ afterwards
    } rows[] = {
        {{"@empty.log"}, 0, "empty log", ""},  // a log without records
        {{"@binary.log"}, 1, "not a log of this library", ""},
        {{"@utf8.log"}, 1, "not a log of this library", ""},
        {{"@missing.log"}, 1, "cannot open", ""},
        {{"@logs"}, 1, "no log files", "binary.log"},
        {{"@logs"}, 1, "no logs of this library", "app.log"},
        // Beside a real log, a file that is not one is skipped with a note.
        {{"--json", "@logs"}, 0, "binary.log: skipped", ""},
        {{"--colour", "@logs"}, 2, "unknown option --colour", ""},
    };
    for (const auto& row : rows) {
        const ReaderRun run = Run(row.args);
        SCOPED_TRACE(row.args.back());
        EXPECT_EQ(run.status, row.status);
        EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
        if (row.args[0] == "--json") {
            ASSERT_FALSE(run.out.empty());
            EXPECT_EQ(JsonTexts(run.out).back(), "hello");
        } else {
            EXPECT_EQ(run.out, Lines{});
        }
        if (row.then == std::string("binary.log")) fs::copy_file(File("binary.log"), File("logs/binary.log"));
        if (row.then == std::string("app.log")) Writer("logs/app.log")->WriteNarrow(2, "hello");
    }
}

}  // namespace
}  // namespace vzv::test
