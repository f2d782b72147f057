// Logs written by the library itself, and the reader run on them as a
// separate program, its output captured in files of a scratch folder.
#pragma once

#include "engine/log_writer.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vzv::test {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

struct ReaderRun {
    int status = -1;
    std::vector<std::string> out;  // lines of standard output
    std::string err;
};

class ReaderTest : public ::testing::Test {
protected:
    ReaderTest() : dir("reader") { g_writeCount = 0; }

    // A writer at level 4 on `name`, the empty file made first (the writer
    // opens existing files only).
    std::unique_ptr<CLogWriter> Writer(const std::string& name);
    // Runs the reader; paths in `args` are given relative to the scratch folder
    // by a leading "@".
    ReaderRun Run(const std::vector<std::string>& args);
    fs::path File(const std::string& name) const { return dir.path() / name; }
    // A file that the library would rotate at its next line: over the cap,
    // the interval's count reached. The writer's file is closed for this.
    void MakeFull(CLogWriter& writer, const std::string& name);

    ScratchDir dir;
};

// The "message" values of JSON output lines, still escaped.
std::vector<std::string> JsonTexts(const std::vector<std::string>& lines);
// One field of a JSON output line, as written (strings with their quotes).
std::string JsonField(const std::string& line, const std::string& name);
// The lines of `text` with CR LF or LF ends.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace vzv::test
