#include "bounded_output.h"

#include "shown_text.h"

#include <iostream>
#include <system_error>

namespace vzv::reader {

BoundedOutput::BoundedOutput(std::filesystem::path path, std::uint64_t maxBytes)
    : m_path(std::move(path)), m_maxBytes(maxBytes) {}

bool BoundedOutput::Open() {
    const platform::OpenResult opened = m_file.Open(m_path);
    if (opened == platform::OpenResult::NotPlain)
        std::cerr << "vuzavov-log: " << ShownName(m_path)
                  << ": a link or not a plain file; refused (keep the output in a folder only "
                     "the reader's account can write)\n";
    m_size = m_file.Size();
    return m_file.IsOpen();
}

namespace {
constexpr auto kMinGenerationAge = std::chrono::seconds(2);
}  // namespace

bool BoundedOutput::Rotate() {
    m_file.Close();
    m_rotated = std::chrono::steady_clock::now();
    std::filesystem::path older = m_path;
    older += ".1";
    // On Windows an agent may hold FILE.1 without sharing its deletion: the
    // file then grows on, and the move is tried again a little later.
    if (!platform::MoveReplacing(m_path, older))
        std::cerr << "warning: " << ShownName(m_path) << ": cannot move it to "
                  << ShownName(older) << "; writing on\n";
    return Open();
}

BoundedOutput::Result BoundedOutput::Write(const std::string& batch) {
    const auto result = [](bool ok) { return ok ? Result::Written : Result::Failed; };
    if (batch.empty()) return Result::Written;
    if (m_path.empty()) {
        std::cout.write(batch.data(), static_cast<std::streamsize>(batch.size()));
        return result(static_cast<bool>(std::cout.flush()));
    }
    if (!m_file.IsOpen() && !Open()) return Result::Failed;
    if (m_size > 0 && m_size + batch.size() > m_maxBytes) {
        if (std::chrono::steady_clock::now() - m_rotated < kMinGenerationAge) return Result::Later;
        if (!Rotate()) return Result::Failed;
    }
    m_size += batch.size();
    return result(m_file.Write(batch));
}

bool BoundedOutput::Sync() { return m_path.empty() || !m_file.IsOpen() || m_file.Sync(); }

}  // namespace vzv::reader
