// The reader on any bytes: decoded and parsed in two reads split where the
// fuzzer says, its records are those of one read; each record's JSON is valid
// UTF-8 without a raw control byte (DEL included), and its plain line for a
// terminal holds no control byte but TAB and line ends. The file's name, any bytes too.
#include "text/utf8.h"
#include "tools/reader/json_record.h"
#include "tools/reader/record_parser.h"
#include "tools/reader/record_printer.h"
#include "tools/reader/shown_text.h"
#include "tools/reader/utf16_decoder.h"

#include <cstdlib>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

using vzv::reader::Record;

std::vector<Record> Records(const std::string& bytes, std::size_t cut, const std::string& label) {
    vzv::reader::Utf16Decoder decoder;
    vzv::reader::RecordParser parser(&label);
    std::string text;
    decoder.Decode(bytes.data(), cut, text);
    parser.Feed(text);
    text.clear();
    decoder.Decode(bytes.data() + cut, bytes.size() - cut, text);
    decoder.Finish(text);
    parser.Feed(text);
    parser.Finish();
    std::vector<Record> records;
    for (Record record; parser.Pop(record);) records.push_back(record);
    return records;
}

// Valid UTF-8 in which no byte below 0x20 but those `allowed`, nor DEL, appears.
bool Clean(const std::string& text, std::string_view allowed) {
    bool failed = false;
    vzv::Utf8ToWide(text, &failed);
    if (failed) return false;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) < 0x20 && allowed.find(c) == std::string_view::npos) ||
            c == 0x7F)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t nameBytes = data[0] % 16;
    const std::size_t cutSeed = data[1];
    const std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string name = input.substr(0, nameBytes);
    // Each U+0001 unit stands for a record's start: CR LF and a whole prefix,
    // which random bytes would seldom hit.
    static const std::string prefix = [] {
        std::string utf16;
        for (const char c : std::string("\r\n    7 | 26.12.05 14:05:10.000 |2| ")) utf16 += {c, '\0'};
        return utf16;
    }();
    std::string bytes;
    for (std::size_t i = name.size(); i < input.size(); i += 2) {
        if (input.compare(i, 2, std::string("\x01\0", 2)) == 0)
            bytes += prefix;
        else
            bytes += input.substr(i, 2);
    }
    const std::string label = vzv::reader::DisplayName(std::filesystem::path(name));

    const std::vector<Record> whole = Records(bytes, bytes.size(), label);
    const std::vector<Record> split = Records(bytes, cutSeed * 7 % (bytes.size() + 1), label);
    const auto key = [](const Record& r) {
        return std::tuple(r.line, r.thread, r.level, r.time.Key(), r.prefixLength);
    };
    if (whole.size() != split.size()) std::abort();
    std::ostringstream plain;
    vzv::reader::RecordPrinter printer(plain, false, true, true);
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (key(whole[i]) != key(split[i])) std::abort();
        std::string json;
        vzv::reader::AppendJsonRecord(json, whole[i]);
        if (json.back() != '\n' || !Clean(json.substr(0, json.size() - 1), "")) std::abort();
        printer.Print(whole[i]);
    }
    printer.Flush();
    if (!Clean(plain.str(), "\t\n")) std::abort();
    return 0;
}
