// What is not a log, or not a command line, is refused clearly; a log cut
// short by a crash is read as far as it goes, its damage reported.
#include "reader_fixture.h"

namespace vzv::test {

TEST_F(ReaderTest, WhatIsNotALogIsRefusedAndACutLogRepaired) {
    // A crash's marks: unwritten space after the first line, and the end cut
    // inside the last line's third character.
    auto writer = Writer("cut.log");
    writer->WriteNarrow(2, "first");
    writer->Close();
    WriteBytes(File("cut.log"), ReadBytes(File("cut.log")) + std::string(64, '\0'));
    writer->Write(2, u"lone \xDC00 half");
    writer->WriteNarrow(2, "second");
    writer.reset();
    fs::resize_file(File("cut.log"), fs::file_size(File("cut.log")) - 11);  // in "c" of "second"

    WriteBytes(File("empty.log"), "");
    // none/ holds no log by name, bad/ no log of this library, and mixed/ a
    // log beside a file that is not one: the right line in the wrong encoding.
    for (const char* name : {"utf8.log", "none/readme.txt", "bad/utf8.log", "mixed/utf8.log"}) {
        fs::create_directories(File(name).parent_path());
        WriteBytes(File(name), " 1234 | 26.12.05 14:05:09.123 |2| text\r\n");
    }
    Writer("mixed/app.log")->WriteNarrow(2, "hello");

    const struct {
        std::string args;
        int status;
        Lines says;  // on standard error
        Lines texts;
    } rows[] = {
        {"--json @cut.log",
         0,
         {"odd number of bytes", "1 invalid UTF-16", "32 NUL", "no line end"},
         {"first", "lone \xEF\xBF\xBD half", "se"}},
        {"--json @mixed", 0, {"utf8.log: skipped"}, {"hello"}},
        {"@empty.log", 0, {"empty log"}, {}},  // a log without records
        {"@utf8.log", 1, {"not a log of this library"}, {}},
        {"@missing.log", 1, {"cannot open"}, {}},
        {"@none", 1, {"no log files"}, {}},
        {"@bad", 1, {"no logs of this library"}, {}},
        {"--colour @mixed", 2, {"unknown option --colour"}, {}},
        {"--since yesterday @mixed", 2, {"--since takes a local time"}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const std::string out = Run(row.args, row.status);
        for (const std::string& says : row.says)
            EXPECT_NE(err.find(says), std::string::npos) << says << " in " << err;
        EXPECT_EQ(Records(out), row.texts);
        EXPECT_EQ(out.empty(), row.texts.empty()) << out;
    }
}

}  // namespace vzv::test
