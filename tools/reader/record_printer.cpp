#include "record_printer.h"

#include "json_record.h"
#include "shown_text.h"

namespace vzv::reader {

namespace {

// Few large writes: the console streams' own buffers are small.
constexpr std::size_t kBlockBytes = 64 * 1024;

}  // namespace

const char* LevelName(int level) {
    static const char* const names[] = {"Off", "Error", "Info", "Debug", "Verbose"};
    return level >= 0 && level <= 4 ? names[level] : "Unknown";
}

void RecordPrinter::Print(const Record& record) {
    if (m_json)
        Json(record);
    else
        Plain(record);
    if (m_buffer.size() >= kBlockBytes) Flush();
}

void RecordPrinter::Flush() {
    m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
    m_out.flush();
    m_buffer.clear();
}

void RecordPrinter::Plain(const Record& r) {
    const auto append = [this](std::string_view text) {
        if (m_escape)
            AppendEscaped(m_buffer, text, true);
        else
            m_buffer.append(text);
    };
    // A file's name may hold a line break: escaped everywhere.
    if (m_withSource && r.source) {
        AppendEscaped(m_buffer, *r.source, false);
        m_buffer.append(": ");
    }
    // Line breaks inside a text come out as this output's own line ends.
    std::string_view line = r.line;
    for (std::size_t crlf; (crlf = line.find("\r\n")) != std::string_view::npos;) {
        append(line.substr(0, crlf));
        m_buffer.append("\n");
        line.remove_prefix(crlf + 2);
    }
    append(line);
    m_buffer.append("\n");
}

void RecordPrinter::Json(const Record& r) { AppendJsonRecord(m_buffer, r); }

}  // namespace vzv::reader
