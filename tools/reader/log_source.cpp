#include "log_source.h"

#include "line_prefix.h"
#include "shown_text.h"

#include <iostream>
#include <vector>

namespace vzv::reader {

namespace {
constexpr std::size_t kChunkBytes = 256 * 1024;
// Enough for a byte order mark and a whole prefix, with its time to the millisecond.
constexpr std::size_t kHeadBytes = 2 + 2 * kMaxPrefixLength;

// One buffer for every source: they are read one after the other, and what
// a read brings is decoded at once.
std::vector<char>& ChunkBuffer(std::size_t size) {
    static std::vector<char> buffer;
    if (buffer.size() < size) buffer.resize(size);
    return buffer;
}
}  // namespace

LogSource::LogSource(std::filesystem::path path, std::string label, bool follow)
    : m_path(std::move(path)),
      m_label(std::move(label)),
      m_shown(ShownText(m_label)),
      m_follow(follow),
      m_chunkBytes(kChunkBytes),
      m_parser(&m_label) {}

LogSource::Kind LogSource::Open() {
    SharedFile file;
    switch (file.Open(m_path)) {
    case platform::OpenResult::Opened: break;
    case platform::OpenResult::NotPlain: return Kind::NotPlain;
    default: return Kind::Unreadable;
    }
    if (!file.Identity(m_identity)) return Kind::Unreadable;
    m_head = ReadHead(file);
    Utf16Decoder probe;
    std::string text;
    probe.Decode(m_head.data(), m_head.size(), text);
    // An empty log (or only a byte order mark) is what the library creates
    // before its first line: a log without records.
    const bool empty = m_head.empty() || m_head == "\xFF\xFE";
    if (!empty && !ParseLinePrefix(text)) return Kind::NotALog;
    Feed(m_head.data(), m_head.size());
    m_offset = m_head.size();
    if (!empty) return Kind::Log;
    m_atEnd = true;
    return Kind::Empty;
}

bool LogSource::Next(Record& out) {
    while (!m_parser.Pop(out)) {
        if (m_atEnd) return false;
        // Opened again for each piece; a name that now holds another file
        // ends this one.
        SharedFile file;
        platform::FileIdentity now;
        const bool same = file.Open(m_path) == platform::OpenResult::Opened &&
                          file.Identity(now) && now == m_identity;
        if (!same || !file.Seek(m_offset) || ReadInto(file) == 0) {
            m_atEnd = true;
            if (m_follow)
                m_parser.Pause();
            else
                EndOfInput();
        }
    }
    return true;
}

void LogSource::Poll() {
    SharedFile file;
    const platform::OpenResult opened = file.Open(m_path);
    if (opened == platform::OpenResult::NotPlain && !m_refusedWarned) {
        m_refusedWarned = true;
        std::cerr << "warning: " << m_shown << ": a link or not a regular file now; not read\n";
    }
    // Missing for a moment during a rotation, or removed: look again next time.
    if (opened != platform::OpenResult::Opened) return;
    m_refusedWarned = false;
    const std::string head = ReadHead(file);
    if (!SameFile(head) || file.Size() < m_offset) {
        FinishRotated();
        EndOfInput();
        m_decoder.Reset();
        m_parser.Reset();
        m_offset = 0;
        m_head.clear();
    }
    if (head.size() > m_head.size()) m_head = head;
    if (file.Seek(m_offset))
        while (ReadInto(file) != 0) {
        }
    m_parser.Pause();
}

void LogSource::Finish() { EndOfInput(); }

std::size_t LogSource::ReadInto(SharedFile& file) {
    std::vector<char>& chunk = ChunkBuffer(m_chunkBytes);
    const std::size_t got = file.Read(chunk.data(), m_chunkBytes);
    m_offset += got;
    Feed(chunk.data(), got);
    return got;
}

void LogSource::Feed(const char* bytes, std::size_t size) {
    m_text.clear();
    m_decoder.Decode(bytes, size, m_text);
    m_parser.Feed(m_text);
}

void LogSource::EndOfInput() {
    m_text.clear();
    m_decoder.Finish(m_text);
    m_parser.Feed(m_text);
    m_parser.Finish();
    Warn();
}

void LogSource::Warn() {
    const auto say = [this](const auto&... parts) {
        std::cerr << "warning: " << m_shown << ": ";
        (std::cerr << ... << parts) << '\n';
    };
    const Utf16Decoder::Faults& faults = m_decoder.faults();
    if (faults.oddByte)
        say("odd number of bytes; the last byte is not a whole character and is ignored "
            "(file cut short?)");
    if (faults.replaced)
        say(faults.replaced, " invalid UTF-16 code units (unpaired surrogates) shown as U+FFFD");
    if (faults.nuls) say(faults.nuls, " NUL characters skipped (space a crash left unwritten?)");
    if (m_parser.endedInsideLine()) say("the last line has no line end (file cut short?)");
    if (m_parser.strayLines()) say(m_parser.strayLines(), " lines before the first record skipped");
    if (m_parser.droppedBytes())
        say(m_parser.droppedBytes(), " bytes of over-long records dropped");
}

// A rotation renames the file to "_old": lines written to it since the last
// poll are read there, provided it still begins as the file we were reading.
void LogSource::FinishRotated() {
    std::filesystem::path old = m_path;
    old += "_old";
    SharedFile file;
    if (m_head.empty() || file.Open(old) != platform::OpenResult::Opened ||
        ReadHead(file).compare(0, m_head.size(), m_head) != 0)
        return;
    if (file.Seek(m_offset))
        while (ReadInto(file) != 0) {
        }
}

std::string LogSource::ReadHead(SharedFile& file) {
    std::string head(kHeadBytes, '\0');
    std::size_t got = 0;
    if (file.Seek(0))
        for (std::size_t n;
             got < head.size() && (n = file.Read(&head[got], head.size() - got)) != 0;)
            got += n;
    head.resize(got);
    return head;
}

bool LogSource::SameFile(const std::string& head) const {
    const std::size_t n = std::min(head.size(), m_head.size());
    return head.compare(0, n, m_head, 0, n) == 0;
}

}  // namespace vzv::reader
