// The log reader run as a separate program, its output captured in files of a
// scratch folder: on a log the library's writer wrote, and on logs made here
// byte by byte, generations, damage and other files among them.
#include "engine/log_writer.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace vzv::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The values of a text field in JSON output lines, in order, still escaped;
// `value` (a pattern) narrows them down.
Lines Field(const std::string& json, const std::string& name, const char* value = "") {
    const std::regex field("\"" + name + "\":\"(" + value + R"re((?:[^"\\]|\\.)*)")re");
    Lines values;
    for (std::sregex_iterator m(json.begin(), json.end(), field), end; m != end; ++m)
        values.push_back((*m)[1]);
    return values;
}

// The messages without the writer's level-switch lines.
Lines Records(const std::string& json) { return Field(json, "message", "(?!Switch)"); }

class ReaderTest : public ::testing::Test {
protected:
    fs::path File(const std::string& name) const { return dir.path() / name; }

    // Appends a record to the log `name` as the library writes it: UTF-16LE,
    // level 2, `second` seconds into one minute (10 to 59), CR LF.
    void Append(const std::string& name, int second, const std::u16string& text) {
        std::string bytes = ReadBytes(File(name));
        const std::string prefix = "    7 | 26.12.05 14:05:" + std::to_string(second) + ".000 |2| ";
        for (const char16_t c : std::u16string(prefix.begin(), prefix.end()) + text + u"\r\n")
            bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        WriteBytes(File(name), bytes);
    }

    // Runs the reader on the words of `args`, "@name" standing for that file
    // of the scratch folder, and expects exit status `status`; returns its
    // standard output and keeps its standard error in `err`.
    std::string Run(const std::string& args, int status = 0) {
        const auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
        std::string command = quoted(VZV_READER);
        std::istringstream words(args);
        for (std::string word; words >> word;)
            command += " " + quoted(word[0] == '@' ? File(word.substr(1)).u8string() : word);
        command += " > " + quoted(File("out").u8string()) + " 2> " + quoted(File("err").u8string());
#ifdef _WIN32
        command = quoted(command);  // cmd.exe drops the outer quotes of a line that has several
#endif
        int code = std::system(command.c_str());
#ifdef WEXITSTATUS
        code = WEXITSTATUS(code);
#endif
        err = ReadBytes(File("err"));
        EXPECT_EQ(code, status) << command << "\n" << err;
        return ReadBytes(File("out"));
    }

    ScratchDir dir{"reader"};
    std::string err;  // the last run's standard error
};

TEST_F(ReaderTest, PlainLinesJsonRecordsAndFilters) {
    WriteBytes(File("app.log"), "");  // the writer opens existing files only
    CLogWriter writer;
    writer.SetPath(Utf16(File("app.log")).c_str());
    writer.SetLevel(4);
    writer.WriteNarrow(2, "caf\xC3\xA9 \xF0\x9F\x98\x80");  // a pair of surrogates in the file
    writer.WriteNarrow(1, "two\r\nlines\tand \"quotes\" \\ \x01 a.c");
    std::thread([&] { writer.WriteNarrow(3, "abc, other thread"); }).join();
    writer.WriteNarrow(4, "");
    writer.Close();

    // Plain: the lines as written; line ends are the output's own.
    std::string plain = Run("@app.log"), written = Narrow(ReadUtf16(File("app.log")));
    EXPECT_EQ(err, "");
    for (std::string* text : {&plain, &written})
        text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    EXPECT_EQ(plain, written);

    const std::string json = Run("--json @app.log");
    EXPECT_EQ(Records(json), (Lines{"caf\xC3\xA9 \xF0\x9F\x98\x80",
                     R"(two\r\nlines\tand \"quotes\" \\ \u0001 a.c)", "abc, other thread", ""}));
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
    const Lines levels{"Off", "Info", "Error", "Debug", "Verbose"};
    const std::pair<std::string, Lines> rows[] = {
        // The library's own lines pass every level.
        {"--level=3 --thread " + p[1].str(), {"Off", "Info", "Error"}},
        {"--grep a.c", {"Error"}},  // a plain text, not a pattern
        {"--since 2000-01-01 --until 2099-12-31T23:59:59", levels}, {"--until 2000-01-01", {}},
    };
    for (const auto& [args, expected] : rows) {
        SCOPED_TRACE(args);
        EXPECT_EQ(Field(Run("--json " + args + " @app.log"), "log.level"), expected);
    }
}

// Each file keeps its own order; equal times go start-up log, _old, live.
TEST_F(ReaderTest, AllMergesStartupLogOldGenerationAndLiveLog) {
    const std::tuple<const char*, int, const char16_t*> records[] = {
        {"app.startup.log", 10, u"s1"}, {"app.startup.log", 30, u"s2"}, {"app.log_old", 20, u"o1"},
        {"app.log_old", 30, u"o2"},     {"app.log", 30, u"l1"},         {"app.log", 29, u"l2"}};
    for (const auto& [name, second, text] : records) Append(name, second, text);
    const std::string all = Run("--all --json @app.log");
    EXPECT_EQ(Records(all), (Lines{"s1", "o1", "s2", "o2", "l1", "l2"}));
    EXPECT_EQ(Field(all, "log.file.path", "(?=[^\"]*app\\.log_old\")").size(), 2u);
    EXPECT_EQ(Records(Run("--json @app.log")), (Lines{"l1", "l2"}));  // without --all: live
}

// --follow DIR with --state: a reader run again goes on where it stopped,
// also in a log that rotated meanwhile, and takes up logs that appeared.
TEST_F(ReaderTest, FolderFollowResumesWithoutLossOrRepeat) {
    fs::create_directories(File("logs"));
    const auto follow = [&] {
        Run("--follow @logs --state @state --out @out.json --follow-for 0");
        return Records(ReadBytes(File("out.json")));
    };
    Append("logs/a.log", 10, u"a1");
    EXPECT_EQ(follow(), Lines{"a1"});
    Append("logs/a.log", 11, u"a2");
    fs::rename(File("logs/a.log"), File("logs/a.log_old"));
    Append("logs/a.log", 12, u"a3");
    Append("logs/b.log", 13, u"b1");
    follow();
    EXPECT_EQ(follow(), (Lines{"a1", "a2", "a3", "b1"}));
    // An offset no log can have been read to is refused, not a silent stall.
    WriteBytes(File("state"), "vuzavov-log follow state 1\n1 2 3 0 0 logs/x.log\n");
    Run("--follow @logs --state @state --follow-for 0", 1);
    EXPECT_NE(err.find("odd offset"), std::string::npos) << err;
}

// What is not a log, or not a command line, is refused clearly; a log cut
// short by a crash is read as far as it goes, its damage reported.
TEST_F(ReaderTest, WhatIsNotALogIsRefusedAndACutLogRepaired) {
    // A crash's marks: unwritten space after the first line, and the end cut
    // inside the last line's third character.
    Append("cut.log", 10, u"first");
    WriteBytes(File("cut.log"), ReadBytes(File("cut.log")) + std::string(64, '\0'));
    Append("cut.log", 11, u"lone \xDC00 half");
    Append("cut.log", 12, u"second");
    fs::resize_file(File("cut.log"), fs::file_size(File("cut.log")) - 11);

    WriteBytes(File("empty.log"), "");
    // bad/ holds no log of this library, and mixed/ a log beside a file that
    // is not one: the right line in the wrong encoding.
    for (const char* name : {"utf8.log", "bad/utf8.log", "mixed/utf8.log"}) {
        fs::create_directories(File(name).parent_path());
        WriteBytes(File(name), " 1234 | 26.12.05 14:05:09.123 |2| text\r\n");
    }
    Append("mixed/app.log", 10, u"hello");
    Append("lf.log", 10, u"one\n    7 | 26.12.05 14:05:11.000 |2| two");  // a lone LF

    // The arguments, the exit status, what standard error says, the records.
    const std::tuple<std::string, int, Lines, Lines> rows[] = {
        {"--json @cut.log", 0, {"odd number of bytes", "1 invalid UTF-16", "32 NUL", "no line end"},
         {"first", "lone \xEF\xBF\xBD half", "se"}},
        {"--json @mixed", 0, {"utf8.log: skipped"}, {"hello"}},
        {"@empty.log", 0, {"empty log"}, {}},  // a log without records
        {"--json @lf.log", 0, {}, {"one\\n    7 | 26.12.05 14:05:11.000 |2| two"}},
        {"@utf8.log", 1, {"not a log of this library"}, {}},
        {"@bad", 1, {"no logs of this library"}, {}},
        {"--colour @mixed", 2, {"unknown option --colour"}, {}},
        {"--service @mixed", 2, {"--service goes with --follow DIR, --state and --out"}, {}},
    };
    for (const auto& [args, status, says, texts] : rows) {
        SCOPED_TRACE(args);
        const std::string out = Run(args, status);
        for (const std::string& text : says) EXPECT_NE(err.find(text), std::string::npos) << text << " in " << err;
        EXPECT_EQ(Records(out), texts);
        EXPECT_EQ(out.empty(), texts.empty()) << out;
    }
    // Past its 1 MiB cap a record is cut before a character, not inside one.
    Append("long.log", 13, u"x" + std::u16string(600000, u'\u00E9'));
    const std::string cut = Run("--json @long.log");
    EXPECT_EQ(cut.substr(cut.rfind("\"}") - 2, 2), "\xC3\xA9") << err;
}

// A folder a hostile user can write to, read once and followed: a name that
// is not UTF-8, a link loop, links to a log outside and to a followed log, a
// hard link to it, a FIFO at a log's name and one swapped in while followed.
// The reader neither stops nor hangs, reads nothing outside, nothing twice,
// and warns once per name.
TEST_F(ReaderTest, HostileFolderNeitherStopsNorLeaksNorRepeats) {
    Append("outside.log", 10, u"outside");
    const fs::path d = File("d");
    fs::create_directories(d);
    Append("d/a.log", 11, u"a1");
    Append("d/f.log", 12, u"f1");
    fs::create_hard_link(d / "a.log", d / "hard.log");
    Lines texts{"a1", "f1"};
#ifndef _WIN32
    Append("d/b\xFF.log", 13, u"b1");  // shown as "b\uFFFD.log"
    texts.push_back("b1");
#endif
    MakeSymbolicLink("loop.log", d / "loop.log");
    MakeSymbolicLink(File("outside.log"), d / "out.log");
    MakeSymbolicLink("a.log", d / "sym.log");
    MakeFifo(d / "fifo.log");
    std::sort(texts.begin(), texts.end());
    const auto sorted = [](Lines lines) { return std::sort(lines.begin(), lines.end()), lines; };

    const std::string once = Run("--json @d");
    EXPECT_EQ(sorted(Records(once)), texts) << err;

    // Once the first pass is out: new lines, and a FIFO in place of f.log.
    std::thread change([&] {
        for (int i = 0; i < 100 && ReadBytes(File("out.json")).find("f1") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Append("d/a.log", 14, u"a2");
        fs::rename(d / "f.log", File("f.log"));
        MakeFifo(d / "f.log");
    });
    const auto start = std::chrono::steady_clock::now();
    Run("--follow @d --state @state --out @out.json --follow-for 5");
    change.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    const std::string followed = ReadBytes(File("out.json"));
    texts.push_back("a2");
    EXPECT_EQ(sorted(Records(followed)), sorted(texts)) << err;
    // Every record from a log of the folder; each link warned of once.
    for (const std::string& json : {once, followed})
        EXPECT_EQ(Records(json).size(),
                  Field(json, "log.file.path", "(?=[^\"]*[/\\\\](a|f|b\xEF\xBF\xBD)\\.log\")").size());
    const auto count = [&](const std::string& name) {
        std::size_t n = 0;
        for (std::size_t at = err.find(name); at != std::string::npos; at = err.find(name, at + 1)) ++n;
        return n;
    };
    for (const char* name : {"sym.log", "out.log", "loop.log", "hard.log", "fifo.log"})
        if (fs::exists(fs::symlink_status(d / name))) {
            EXPECT_EQ(count(name), 1u) << name << " in " << err;
        }
}

// Links planted at the state, its temporary file, the output and its older
// generation: the reader refuses to read or write through them, or replaces
// them as names; the victim keeps its bytes.
TEST_F(ReaderTest, LinksAtStateAndOutputLeaveTheirVictimAlone) {
    const std::string victimBytes = "victim: not the reader's to touch\n";
    WriteBytes(File("victim"), victimBytes);
    fs::create_directories(File("d"));
    const std::pair<const char*, int> rows[] = {
        {"st", 1}, {"st.tmp", 0}, {"out.json", 1}, {"out.json.1", 0}};
    for (const bool hard : {false, true})
        for (const auto& [name, status] : rows) {
            SCOPED_TRACE(std::string(name) + (hard ? " hard" : " symbolic"));
            for (const char* stale : {"st", "st.tmp", "out.json", "out.json.1"}) fs::remove(File(stale));
            std::error_code error;
            if (hard)
                fs::create_hard_link(File("victim"), File(name), error);
            else if (!MakeSymbolicLink(File("victim"), File(name)))
                continue;  // not on this system
            // Twice, so that the second batch moves out.json to out.json.1.
            for (int run = 0; run < 2; ++run) {
                Append("d/a.log", 11 + run, std::u16string(3000, u'x'));
                Run("--follow @d --state @st --out @out.json --out-max-bytes 4096 --follow-for 0",
                    status);
            }
            EXPECT_EQ(ReadBytes(File("victim")), victimBytes);
            // Where the reader went on, the name no longer leads to the victim.
            if (status == 0) {
                EXPECT_FALSE(fs::exists(File(name)) && fs::equivalent(File(name), File("victim")));
            }
        }
}

}  // namespace
}  // namespace vzv::test
