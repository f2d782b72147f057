// What the reader prints for a log the library wrote: the lines as written,
// JSON records with their escaping and fields, and the filters.
#include "reader_fixture.h"

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
    std::string plain = Run("@app.log"), written = Narrow(ReadUtf16(File("app.log")));
    EXPECT_EQ(err, "");
    for (std::string* text : {&plain, &written})
        text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    EXPECT_EQ(plain, written);

    const std::string json = Run("--json @app.log");
    EXPECT_EQ(Records(json),
              (Lines{"caf\xC3\xA9 \xF0\x9F\x98\x80",
                     R"(two\r\nlines\tand \"quotes\" \\ \u0001 a.c)", "abc, other thread", ""}));
    const Lines levels{"Off", "Info", "Error", "Debug", "Verbose"};
    EXPECT_EQ(Field(json, "log.level"), levels);
    // A record whole, from its prefix: the year read as 20yy, with the
    // machine's UTC offset at that time.
    const std::regex prefix(R"((\d+) \| (\d\d)\.(\d\d)\.(\d\d) (\S+) \|2\| caf)");
    std::smatch p;
    ASSERT_TRUE(std::regex_search(plain, p, prefix)) << plain;
    const std::regex record(p.format(R"(\{"@timestamp":"20$2-$3-$4T$5[+-]\d\d:\d\d","log.level":)"
                                     R"("Info","log.level_number":2,"process.thread.id":$1,)"
                                     R"("log.file.path":"[^"]+app\.log","message":"caf)"));
    EXPECT_TRUE(std::regex_search(json, record)) << json;

    // Each record has a level of its own: the writer's switch line is "Off".
    const struct {
        std::string args;
        Lines levels;
    } rows[] = {
        {"--level 1", {"Off", "Error"}},  // the library's own lines pass every level
        {"--level=3 --thread " + p[1].str(), {"Off", "Info", "Error"}},
        {"--grep a.c", {"Error"}},  // a plain text, not a pattern
        {"--grep a --level 2", {"Info", "Error"}},
        {"--since 2000-01-01 --until 2099-12-31T23:59:59", levels},
        {"--until 2000-01-01", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        EXPECT_EQ(Field(Run("--json " + row.args + " @app.log"), "log.level"), row.levels);
    }
}

}  // namespace vzv::test
