#include "record_parser.h"

#include "line_prefix.h"

namespace vzv::reader {

void RecordParser::Feed(std::string_view text) {
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        if (lf == std::string_view::npos) {
            Append(m_partial, text);
            return;
        }
        if (m_partial.empty()) {
            Line(text.substr(0, lf + 1));
        } else {
            Append(m_partial, text.substr(0, lf + 1));
            Line(m_partial);
            m_partial.clear();
        }
        text.remove_prefix(lf + 1);
    }
}

void RecordParser::Pause() {
    if (m_partial.empty()) Close();
}

void RecordParser::Finish() {
    if (!m_partial.empty()) {
        m_endedInsideLine = true;
        Line(m_partial);
        m_partial.clear();
    }
    Close();
}

void RecordParser::Reset() {
    Finish();
    m_endedInsideLine = false;
    m_afterCrLf = true;
    m_strayLines = 0;
    m_droppedBytes = 0;
}

bool RecordParser::Pop(Record& out) {
    if (m_ready.empty()) return false;
    out = std::move(m_ready.front());
    m_ready.pop_front();
    return true;
}

void RecordParser::Line(std::string_view line) {
    // Records end with CR LF: after a lone LF, a prefix is text of the record.
    const bool mayBegin = m_afterCrLf;
    m_afterCrLf = line.size() >= 2 && line.substr(line.size() - 2) == "\r\n";
    if (const auto prefix = mayBegin ? ParseLinePrefix(line) : std::nullopt) {
        Close();
        Record& r = m_open.emplace();
        r.thread = prefix->thread;
        r.time = prefix->time;
        r.level = prefix->level;
        r.prefixLength = prefix->length;
        r.source = m_source;
        Append(r.line, line);
    } else if (m_open) {
        Append(m_open->line, line);
    } else {
        ++m_strayLines;
    }
}

void RecordParser::Append(std::string& to, std::string_view text) {
    const std::size_t room = kMaxRecordBytes > to.size() ? kMaxRecordBytes - to.size() : 0;
    if (text.size() > room) {
        // Cut before a character, not inside one: the text stays UTF-8.
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        m_droppedBytes += text.size() - cut;
        text = text.substr(0, cut);
    }
    to.append(text);
}

void RecordParser::Close() {
    if (!m_open) return;
    std::string& line = m_open->line;
    // The line end belongs to the file, not to the text.
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    m_ready.push_back(std::move(*m_open));
    m_open.reset();
}

}  // namespace vzv::reader
