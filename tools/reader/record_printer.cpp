#include "record_printer.h"

#include "text/decimal.h"

#include <cstdio>

namespace vzv::reader {

namespace {

// Few large writes: the console streams' own buffers are small.
constexpr std::size_t kBlockBytes = 64 * 1024;

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;  // the text is valid UTF-8 already
            }
        }
    }
    out += '"';
}

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
    if (m_withSource && r.source) m_buffer.append(*r.source).append(": ");
    // Line breaks inside a text come out as this output's own line ends.
    std::string_view line = r.line;
    for (std::size_t crlf; (crlf = line.find("\r\n")) != std::string_view::npos;) {
        m_buffer.append(line.substr(0, crlf)).append("\n");
        line.remove_prefix(crlf + 2);
    }
    m_buffer.append(line).append("\n");
}

void RecordPrinter::Json(const Record& r) {
    m_buffer.append("{\"thread\":");
    AppendDecimal(m_buffer, r.thread);
    m_buffer.append(",\"time\":\"").append(r.time.Iso());
    m_buffer.append("\",\"level\":");
    AppendDecimal(m_buffer, r.level);
    m_buffer.append(",\"levelName\":\"").append(LevelName(r.level));
    m_buffer.append("\",\"text\":");
    AppendJsonString(m_buffer, r.Text());
    m_buffer.append(",\"file\":");
    AppendJsonString(m_buffer, r.source ? std::string_view(*r.source) : std::string_view());
    m_buffer.append("}\n");
}

}  // namespace vzv::reader
