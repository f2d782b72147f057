// Logs written by the library's writer, and the reader run on them as a
// separate program, its output captured in files of a scratch folder.
#pragma once

#include "engine/log_writer.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace vzv::test {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The values of a text field in JSON output lines, in order, still escaped;
// `value` (a pattern) narrows them down.
inline Lines Field(const std::string& json, const std::string& name, const char* value = "") {
    const std::regex field("\"" + name + "\":\"(" + value + R"re((?:[^"\\]|\\.)*)")re");
    Lines values;
    for (std::sregex_iterator m(json.begin(), json.end(), field), end; m != end; ++m)
        values.push_back((*m)[1]);
    return values;
}

// The messages without the writer's level-switch lines.
inline Lines Records(const std::string& json) { return Field(json, "message", "(?!Switch)"); }

class ReaderTest : public ::testing::Test {
protected:
    fs::path File(const std::string& name) const { return dir.path() / name; }

    // A writer at level 4 on `name`, made empty first: the writer opens
    // existing files only.
    std::unique_ptr<CLogWriter> Writer(const std::string& name) {
        WriteBytes(File(name), "");
        auto writer = std::make_unique<CLogWriter>();
        writer->SetPath(Utf16(File(name)).c_str());
        writer->SetLevel(4);
        return writer;
    }

    // Makes the writer rotate its file at the next line: the file closed and
    // over the cap, the interval's count reached.
    void MakeFull(CLogWriter& writer, const std::string& name) {
        writer.Close();
        fs::resize_file(File(name), kMaxLogFileSize + 2);
        g_writeCount = kSizeCheckInterval;
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

}  // namespace vzv::test
