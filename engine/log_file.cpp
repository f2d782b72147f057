#include "engine/log_file.h"

namespace vzv {

bool CLogFile::Open(const char16_t* path, std::uint32_t access, std::uint32_t share,
                    std::uint32_t disposition, std::uint32_t attributes) noexcept {
    if (IsOpen()) platform::CloseFile(m_handle);
    m_handle = platform::OpenFile(path, access, share, disposition, attributes);
    return IsOpen();
}

bool CLogFile::Close(std::u16string* errorText) {
    if (!IsOpen()) return true;
    const bool closed = platform::CloseFile(m_handle);
    m_handle = platform::kInvalidFile;
    if (!closed && errorText != nullptr) *errorText = platform::GetLastErrorText();
    return closed;
}

}  // namespace vzv
