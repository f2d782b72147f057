// What the reader prints for a log the library wrote: the lines as written,
// JSON records with their escaping and fields, and the filters.
#include "reader_fixture.h"

#include "platform/platform.h"

#include <algorithm>
#include <thread>

namespace vzv::test {

TEST_F(ReaderTest, PlainLinesJsonRecordsAndFilters) {
    auto writer = Writer("app.log");
    writer->WriteNarrow(2, "caf\xC3\xA9 \xF0\x9F\x98\x80");  // a pair of surrogates in the file
    writer->WriteNarrow(1, "two\r\nlines\tand \"quotes\" \\ \x01 a.c");
    std::thread([&] { writer->WriteNarrow(3, "abc, other thread"); }).join();
    writer->WriteNarrow(4, "");
    writer.reset();

    // Plain: the lines as written; line ends are the output's own.
    std::string plain = Run({"@app.log"}), written = Narrow(ReadUtf16(File("app.log")));
    EXPECT_EQ(err, "");
    for (std::string* text : {&plain, &written})
        text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    EXPECT_EQ(plain, written);

    const std::string json = Run({"--json", "@app.log"});
    const Lines all = Field(json, "message");  // the library's level switch first
    ASSERT_EQ(all.size(), 5u) << json;
    EXPECT_EQ(Lines(all.begin() + 1, all.end()),
              (Lines{"caf\xC3\xA9 \xF0\x9F\x98\x80",
                     R"(two\r\nlines\tand \"quotes\" \\ \u0001 a.c)", "abc, other thread", ""}));
    EXPECT_EQ(Field(json, "log.level"), (Lines{"Off", "Info", "Error", "Debug", "Verbose"}));
    // A record whole: the time is the prefix's, the year read as 20yy, with
    // the machine's UTC offset at that time.
    std::smatch p;
    ASSERT_TRUE(std::regex_search(
        plain, p, std::regex(R"((\d\d)\.(\d\d)\.(\d\d) (\d\d:\d\d:\d\d\.\d{3}) \|2\|)")));
    const std::string thread = std::to_string(platform::CurrentThreadId());
    const std::string record = R"(\{"@timestamp":"20)" + p[1].str() + "-" + p[2].str() + "-" +
                               p[3].str() + "T" + p[4].str() +
                               R"([+-]\d\d:\d\d","log.level":"Info","log.level_number":2,)"
                               R"("process.thread.id":)" + thread +
                               R"(,"log.file.path":"[^"]+app\.log","message":"caf)";
    EXPECT_TRUE(std::regex_search(json, std::regex(record))) << json;

    const struct {
        Lines args;
        std::vector<int> records;  // indexes into `all`
    } rows[] = {
        {{"--level", "1"}, {0, 2}},  // the library's own level-0 lines pass every level
        {{"--level=3", "--thread", thread}, {0, 1, 2}},
        {{"--grep", "a.c"}, {2}},  // a plain text, not a pattern
        {{"--grep", "abc", "--level", "3"}, {3}},
        {{"--since", "2000-01-01", "--until", "2099-12-31T23:59:59"}, {0, 1, 2, 3, 4}},
        {{"--until", "2000-01-01"}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args[1]);
        Lines args{"--json"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        args.push_back("@app.log");
        Lines expected;
        for (const int i : row.records) expected.push_back(all[i]);
        EXPECT_EQ(Field(Run(args), "message"), expected);
    }
    Run({"--since", "yesterday", "@app.log"}, 2);
    Run({"--level", "5", "@app.log"}, 2);
}

}  // namespace vzv::test
