// Decoded text to records: a physical line that starts with a prefix, after
// a CR LF (or at the start), opens a record; any other continues the open
// record's text.
#pragma once

#include "record.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace vzv::reader {

class RecordParser {
public:
    explicit RecordParser(const std::string* source) : m_source(source) {}

    void Feed(std::string_view text);
    // No more text for now: the open record is handed out if its last line
    // is whole. Its text could still continue, but the writer writes a
    // record in one call, so a whole line at the end means a whole record.
    void Pause();
    // No more text at all: the open record is handed out even if unfinished.
    void Finish();
    // A new file follows: nothing of the old one may continue into it.
    void Reset();

    bool Pop(Record& out);

    // Counts for the warnings, since the last Reset.
    bool endedInsideLine() const { return m_endedInsideLine; }
    std::uint64_t strayLines() const { return m_strayLines; }
    std::uint64_t droppedBytes() const { return m_droppedBytes; }

private:
    void Line(std::string_view line);
    void Append(std::string& to, std::string_view text);
    void Close();

    const std::string* m_source;
    std::string m_partial;  // a physical line still without its LF
    std::optional<Record> m_open;
    std::deque<Record> m_ready;
    bool m_endedInsideLine = false;
    bool m_afterCrLf = true;  // a record may begin on the next line
    std::uint64_t m_strayLines = 0;    // text before the first record
    std::uint64_t m_droppedBytes = 0;  // beyond the cap on one record
};

// No text the writer takes is longer than 16383 characters; the cap keeps a
// damaged file from using memory without bound.
inline constexpr std::size_t kMaxRecordBytes = 1 << 20;

}  // namespace vzv::reader
