// One log file read as records, a piece at a time: memory stays the same
// whatever the file's size. When followed, it is read on as it grows, across
// its rotation to "_old" and its recreation.
#pragma once

#include "platform/tools.h"
#include "record.h"
#include "record_parser.h"
#include "utf16_decoder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vzv::reader {

using platform::SharedFile;

class LogSource {
public:
    enum class Kind { Log, Empty, NotALog, Unreadable };

    // `label` names the file in warnings and output.
    LogSource(std::filesystem::path path, std::string label, bool follow);
    LogSource(const LogSource&) = delete;
    LogSource& operator=(const LogSource&) = delete;

    // Opens the file and tells from its first bytes what it is.
    Kind Open();
    // The next whole record; false when none is left of what was read.
    bool Next(Record& out);
    // Followed files: reads what was added since the last call, or the rest
    // of the old file and then the new one after a rotation.
    void Poll();
    // Followed files: nothing more will be read.
    void Finish();

    const std::string& label() const { return m_label; }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::size_t ReadInto(SharedFile& file);
    void Feed(const char* bytes, std::size_t size);
    void EndOfInput();
    void Warn();
    void FinishRotated();
    std::string ReadHead(SharedFile& file);
    bool SameFile(const std::string& head) const;

    std::filesystem::path m_path;
    std::string m_label;
    bool m_follow;
    SharedFile m_file;
    bool m_atEnd = false;
    std::uint64_t m_offset = 0;  // bytes of the current file read so far
    std::string m_head;          // its first bytes: tells it from a successor
    Utf16Decoder m_decoder;
    RecordParser m_parser;
    std::string m_text;  // decoded text of one chunk
    std::vector<char> m_chunk;
};

}  // namespace vzv::reader
