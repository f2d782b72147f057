#include "reader_fixture.h"

#include <cstdlib>
#include <regex>

namespace vzv::test {

std::unique_ptr<CLogWriter> ReaderTest::Writer(const std::string& name) {
    WriteBytes(File(name), "");
    auto writer = std::make_unique<CLogWriter>();
    writer->SetPath(Utf16(File(name)).c_str());
    writer->SetLevel(4);
    return writer;
}

ReaderRun ReaderTest::Run(const std::vector<std::string>& args) {
    const auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
    const fs::path out = File("reader.out"), err = File("reader.err");
    std::string command = quoted(VZV_READER);
    for (const std::string& arg : args)
        command += " " + quoted(arg.rfind('@', 0) == 0 ? File(arg.substr(1)).u8string() : arg);
    command += " > " + quoted(out.u8string()) + " 2> " + quoted(err.u8string());
#ifdef _WIN32
    // cmd.exe drops the outer pair of quotes of a line that has several.
    command = quoted(command);
#endif
    ReaderRun run;
    run.status = std::system(command.c_str());
#ifdef WEXITSTATUS
    run.status = WEXITSTATUS(run.status);
#endif
    run.out = SplitLines(ReadBytes(out));
    run.err = ReadBytes(err);
    return run;
}

void ReaderTest::MakeFull(CLogWriter& writer, const std::string& name) {
    writer.Close();
    fs::resize_file(File(name), kMaxLogFileSize + 2);
    g_writeCount = kSizeCheckInterval;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1) {
        const std::size_t end = lf > start && text[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string JsonField(const std::string& line, const std::string& name) {
    static const std::string value = R"(("(?:[^"\\]|\\.)*"|[-0-9]+))";
    std::smatch m;
    return std::regex_search(line, m, std::regex("\"" + name + "\":" + value)) ? m[1].str() : "";
}

std::vector<std::string> JsonTexts(const std::vector<std::string>& lines) {
    std::vector<std::string> texts;
    for (const std::string& line : lines) {
        const std::string text = JsonField(line, "message");
        texts.push_back(text.size() >= 2 ? text.substr(1, text.size() - 2) : "?" + line);
    }
    return texts;
}

}  // namespace vzv::test
