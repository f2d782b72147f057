#include "bounded_output.h"

#include "platform/file_identity.h"

#include <iostream>
#include <system_error>

namespace vzv::reader {

BoundedOutput::BoundedOutput(std::filesystem::path path, std::uint64_t maxBytes)
    : m_path(std::move(path)), m_maxBytes(maxBytes) {}

bool BoundedOutput::Open() {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(m_path, error);
    m_size = error ? 0 : size;
    m_file.open(m_path, std::ios::binary | std::ios::app);
    return m_file.is_open();
}

bool BoundedOutput::Rotate() {
    m_file.close();
    std::filesystem::path older = m_path;
    older += ".1";
    if (!platform::MoveReplacing(m_path.u16string().c_str(), older.u16string().c_str()))
        return false;
    return Open();
}

bool BoundedOutput::Write(const std::string& batch) {
    if (batch.empty()) return true;
    if (m_path.empty()) {
        std::cout.write(batch.data(), static_cast<std::streamsize>(batch.size()));
        return static_cast<bool>(std::cout.flush());
    }
    if (!m_file.is_open() && !Open()) return false;
    if (m_size > 0 && m_size + batch.size() > m_maxBytes && !Rotate()) return false;
    m_file.write(batch.data(), static_cast<std::streamsize>(batch.size()));
    m_file.flush();
    m_size += batch.size();
    return static_cast<bool>(m_file);
}

}  // namespace vzv::reader
