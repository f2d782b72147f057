// Logs written by the library itself, and the reader run on them as a
// separate program, its output captured in files of a scratch folder.
#pragma once

#include "engine/log_writer.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace vzv::test {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The values of a field in JSON output lines, in order: a string's text,
// still escaped, or a number.
inline Lines Field(const std::string& json, const std::string& name) {
    const std::regex field("\"" + name + R"re(":(?:"((?:[^"\\]|\\.)*)"|(-?\d+)))re");
    Lines values;
    for (std::sregex_iterator m(json.begin(), json.end(), field), end; m != end; ++m)
        values.push_back((*m)[1].matched ? (*m)[1].str() : (*m)[2].str());
    return values;
}

// The messages without the level-switch lines, which depend on the engine's
// order of work, not on the reader.
inline Lines Records(const std::string& json) {
    Lines texts;
    for (const std::string& text : Field(json, "message"))
        if (text.rfind("Switch", 0) != 0) texts.push_back(text);
    return texts;
}

class ReaderTest : public ::testing::Test {
protected:
    ReaderTest() : dir("reader") { g_writeCount = 0; }

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

    // A file that the library rotates at its next line: over the cap, the
    // interval's count reached. The writer's file is closed for this.
    void MakeFull(CLogWriter& writer, const std::string& name) {
        writer.Close();
        fs::resize_file(File(name), kMaxLogFileSize + 2);
        g_writeCount = kSizeCheckInterval;
    }

    // Runs the reader and expects exit status `status`; returns its standard
    // output and keeps its standard error in `err`. "@name" in `args` stands
    // for that file of the scratch folder.
    std::string Run(const Lines& args, int status = 0) {
        const auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
        const fs::path out = File("reader.out"), errors = File("reader.err");
        std::string command = quoted(VZV_READER);
        for (const std::string& arg : args)
            command += " " + quoted(arg.rfind('@', 0) == 0 ? File(arg.substr(1)).u8string() : arg);
        command += " > " + quoted(out.u8string()) + " 2> " + quoted(errors.u8string());
#ifdef _WIN32
        command = quoted(command);  // cmd.exe drops the outer quotes of a line that has several
#endif
        int code = std::system(command.c_str());
#ifdef WEXITSTATUS
        code = WEXITSTATUS(code);
#endif
        err = ReadBytes(errors);
        EXPECT_EQ(code, status) << command << "\n" << err;
        return ReadBytes(out);
    }

    ScratchDir dir;
    std::string err;  // the last run's standard error
};

}  // namespace vzv::test
