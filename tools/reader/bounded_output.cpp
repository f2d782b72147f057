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

namespace {
constexpr auto kMinGenerationAge = std::chrono::seconds(2);
}  // namespace

bool BoundedOutput::Rotate() {
    m_file.close();
    m_rotated = std::chrono::steady_clock::now();
    std::filesystem::path older = m_path;
    older += ".1";
    // On Windows an agent may hold FILE.1 without sharing its deletion: the
    // file then grows on, and the move is tried again a little later.
    if (!platform::MoveReplacing(m_path.u16string().c_str(), older.u16string().c_str()))
        std::cerr << "warning: " << m_path.u8string() << ": cannot move it to " << older.u8string()
                  << "; writing on\n";
    return Open();
}

BoundedOutput::Result BoundedOutput::Write(const std::string& batch) {
    const auto result = [](bool ok) { return ok ? Result::Written : Result::Failed; };
    if (batch.empty()) return Result::Written;
    if (m_path.empty()) {
        std::cout.write(batch.data(), static_cast<std::streamsize>(batch.size()));
        return result(static_cast<bool>(std::cout.flush()));
    }
    if (!m_file.is_open() && !Open()) return Result::Failed;
    if (m_size > 0 && m_size + batch.size() > m_maxBytes) {
        if (std::chrono::steady_clock::now() - m_rotated < kMinGenerationAge) return Result::Later;
        if (!Rotate()) return Result::Failed;
    }
    m_file.write(batch.data(), static_cast<std::streamsize>(batch.size()));
    m_file.flush();
    m_size += batch.size();
    return result(static_cast<bool>(m_file));
}

}  // namespace vzv::reader
