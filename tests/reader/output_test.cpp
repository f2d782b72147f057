// What the reader prints for logs the library wrote: the lines as written,
// JSON with its escaping, and the filters.
#include "reader_fixture.h"

#include "platform/platform.h"

#include <regex>
#include <thread>

namespace vzv::test {
namespace {

TEST_F(ReaderTest, PlainLinesAsWrittenAndJsonRecords) {
    auto writer = Writer("app.log");
    writer->WriteNarrow(2, "caf\xC3\xA9 \xF0\x9F\x98\x80");  // a pair of surrogates in the file
    writer->WriteNarrow(1, "two\r\nlines\tand \"quotes\" \\ \x01");
    writer->WriteNarrow(3, "");
    writer.reset();

    const ReaderRun plain = Run({"@app.log"});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.err, "");
    EXPECT_EQ(plain.out, SplitLines(Narrow(ReadUtf16(File("app.log")))));

    const ReaderRun json = Run({"--json", "@app.log"});
    ASSERT_EQ(json.out.size(), 4u) << json.err;
    EXPECT_EQ(JsonTexts(json.out)[1], "caf\xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(JsonTexts(json.out)[2], R"(two\r\nlines\tand \"quotes\" \\ \u0001)");
    EXPECT_EQ(JsonTexts(json.out)[3], "");
    Lines levels;
    for (const std::string& line : json.out)
        levels.push_back(JsonField(line, "log.level_number") + JsonField(line, "log.level"));
    EXPECT_EQ(levels, (Lines{"0\"Off\"", "2\"Info\"", "1\"Error\"", "3\"Debug\""}));

    // Thread and time are the prefix's, the year read as 20yy.
    const std::string& prefix = plain.out[1];  // " tid | yy.mm.dd hh:mm:ss.mmm |2| "
    const std::string date = prefix.substr(prefix.find(" | ") + 3, 21);
    const std::string iso = "\"20" + date.substr(0, 2) + "-" + date.substr(3, 2) + "-" +
                            date.substr(6, 2) + "T" + date.substr(9);
    // With the machine's UTC offset at that time.
    EXPECT_TRUE(std::regex_match(JsonField(json.out[1], "@timestamp"),
                                 std::regex(iso + "[+-]\\d\\d:\\d\\d\"")));
    EXPECT_EQ(JsonField(json.out[1], "process.thread.id"),
              std::to_string(platform::CurrentThreadId()));
    const std::string file = JsonField(json.out[1], "log.file.path");
    EXPECT_GT(file.size(), 9u) << "the path as given";
    EXPECT_EQ(file.substr(file.size() - 8), "app.log\"");
}

TEST_F(ReaderTest, FiltersByLevelThreadTimeAndText) {
    auto writer = Writer("app.log");
    writer->WriteNarrow(1, "error a.c");
    std::thread([&] { writer->WriteNarrow(2, "info abc, other thread"); }).join();
    writer->WriteNarrow(3, "debug abc");
    writer.reset();
    const auto texts = [this](Lines args) {
        args.insert(args.begin(), "--json");
        args.push_back("@app.log");
        const ReaderRun run = Run(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return JsonTexts(run.out);
    };
    const Lines all = texts({});
    ASSERT_EQ(all.size(), 4u);
    const std::string& levelSwitch = all[0];

    // The library's own level-0 lines pass every level, as in the library.
    EXPECT_EQ(texts({"--level", "1"}), (Lines{levelSwitch, "error a.c"}));
    EXPECT_EQ(texts({"--level=3", "--thread", std::to_string(platform::CurrentThreadId())}),
              (Lines{levelSwitch, "error a.c", "debug abc"}));
    EXPECT_EQ(texts({"--grep", "a.c"}), Lines{"error a.c"}) << "a plain text, not a pattern";
    EXPECT_EQ(texts({"--grep", "abc", "--level", "2"}), Lines{"info abc, other thread"});

    EXPECT_EQ(texts({"--since", "2000-01-01", "--until", "2099-12-31T23:59:59"}), all);
    EXPECT_EQ(texts({"--until", "2000-01-01"}), Lines{});
    EXPECT_EQ(Run({"--since", "yesterday", "@app.log"}).status, 2);
    EXPECT_EQ(Run({"--level", "5", "@app.log"}).status, 2);
}

}  // namespace
}  // namespace vzv::test
