// Records as UTF-8 lines: the line as written, or one JSON object each.
#pragma once

#include "record.h"

#include <ostream>
#include <string>

namespace vzv::reader {

class RecordPrinter {
public:
    // `withSource`: plain lines start with their file's label (escaped), for output
    // that mixes several files. `escape`: plain output goes to a terminal,
    // where control characters other than TAB (and the record's own CR LF
    // line breaks) are written out as "\x1b", so that a logged escape
    // sequence cannot steer it.
    RecordPrinter(std::ostream& out, bool json, bool withSource, bool escape = false)
        : m_out(out), m_json(json), m_withSource(withSource), m_escape(escape) {}

    void Print(const Record& record);
    // Writes what is held back; output goes out in large blocks otherwise.
    void Flush();

private:
    void Plain(const Record& record);
    void Json(const Record& record);

    std::ostream& m_out;
    bool m_json;
    bool m_withSource;
    bool m_escape;
    std::string m_buffer;
};

// "Off", "Error", "Info", "Debug", "Verbose", or "Unknown".
const char* LevelName(int level);

}  // namespace vzv::reader
