// What is not a log is refused clearly; a log cut short by a crash is read as
// far as it goes, its damage reported.
#include "reader_fixture.h"

namespace vzv::test {

TEST_F(ReaderTest, WhatIsNotALogIsRefusedAndACutLogRepaired) {
    auto writer = Writer("cut.log");
    writer->WriteNarrow(2, "first");
    writer->Write(2, u"lone \xDC00 half");
    writer->WriteNarrow(2, "second");
    writer.reset();
    std::string bytes = ReadBytes(File("cut.log"));
    // The end cut inside the last line's third character, and unwritten
    // space after the first line.
    bytes.resize(bytes.size() - 2 * std::string("ond\r\n").size() - 1);
    const std::string firstEnd("t\0\r\0\n\0", 6);
    bytes.insert(bytes.find(firstEnd) + firstEnd.size(), std::string(64, '\0'));
    WriteBytes(File("cut.log"), bytes);

    WriteBytes(File("empty.log"), "");
    std::string binary;
    for (int i = 0; i < 1000; ++i) binary += static_cast<char>(i * 7);
    // Folders: none/ holds no log by name, bad/ no log of this library, and
    // mixed/ a log beside a file that is not one.
    for (const char* folder : {"none", "bad", "mixed"}) fs::create_directory(File(folder));
    for (const char* name : {"binary.log", "bad/binary.log", "mixed/binary.log"})
        WriteBytes(File(name), binary);
    WriteBytes(File("none/readme.txt"), "not a log by name");
    // The right line in the wrong encoding, and an odd number of bytes.
    WriteBytes(File("utf8.log"), " 1234 | 26.12.05 14:05:09.123 |2| text\r\n ");
    Writer("mixed/app.log")->WriteNarrow(2, "hello");

    const struct {
        Lines args;
        int status;
        std::vector<const char*> says;  // on standard error
        Lines texts;
    } rows[] = {
        {{"--json", "@cut.log"},
         0,
         {"odd number of bytes", "1 invalid UTF-16", "32 NUL", "no line end"},
         {"first", "lone \xEF\xBF\xBD half", "se"}},
        {{"--json", "@mixed"}, 0, {"binary.log: skipped"}, {"hello"}},
        {{"@empty.log"}, 0, {"empty log"}, {}},  // a log without records
        {{"@binary.log"}, 1, {"not a log of this library"}, {}},
        {{"@utf8.log"}, 1, {"not a log of this library"}, {}},
        {{"@missing.log"}, 1, {"cannot open"}, {}},
        {{"@none"}, 1, {"no log files"}, {}},
        {{"@bad"}, 1, {"no logs of this library"}, {}},
        {{"--colour", "@mixed"}, 2, {"unknown option --colour"}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.back());
        const std::string out = Run(row.args, row.status);
        for (const char* says : row.says)
            EXPECT_NE(err.find(says), std::string::npos) << says << " in " << err;
        EXPECT_EQ(Records(out), row.texts);
        EXPECT_EQ(out.empty(), row.texts.empty()) << out;
    }
}

}  // namespace vzv::test
