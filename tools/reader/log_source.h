// One log file read as records, a piece at a time: memory stays the same
// whatever the file's size, and the file is open only while a piece is read,
// so that thousands of sources hold no file open. When followed, it is read
// on as it grows, across its rotation to "_old" and its recreation.
#pragma once

#include "platform/tools.h"
#include "record.h"
#include "record_parser.h"
#include "utf16_decoder.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace vzv::reader {

using platform::SharedFile;

class LogSource {
public:
    enum class Kind { Log, Empty, NotALog, NotPlain, Unreadable };

    // `label` names the file in output; warnings show it escaped.
    LogSource(std::filesystem::path path, std::string label, bool follow);
    LogSource(const LogSource&) = delete;
    LogSource& operator=(const LogSource&) = delete;

    // Opens the file and tells from its first bytes what it is.
    Kind Open();
    // The file's identity, known once Open found a log.
    const platform::FileIdentity& identity() const { return m_identity; }
    // Bytes read from the file at a time (256 KiB by default); merging many
    // files asks for less, since each holds what one read decoded.
    void SetChunkBytes(std::size_t bytes) { m_chunkBytes = bytes; }
    // The next whole record; false when none is left of what was read.
    bool Next(Record& out);
    // Followed files: reads what was added since the last call, or the rest
    // of the old file and then the new one after a rotation.
    void Poll();
    // Followed files: nothing more will be read.
    void Finish();

    const std::string& label() const { return m_label; }

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
    std::string m_shown;  // the label escaped, for warnings
    bool m_follow;
    bool m_atEnd = false;
    bool m_refusedWarned = false;  // one warning for a link or FIFO at the name
    platform::FileIdentity m_identity;
    std::size_t m_chunkBytes;
    std::uint64_t m_offset = 0;  // bytes of the current file read so far
    std::string m_head;          // its first bytes: tells it from a successor
    Utf16Decoder m_decoder;
    RecordParser m_parser;
    std::string m_text;  // decoded text of one chunk
};

}  // namespace vzv::reader
