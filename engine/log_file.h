// CLogFile owns one OS file handle; closed until a successful Open.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>

namespace vzv {

class CLogFile {
public:
    CLogFile() noexcept = default;
    ~CLogFile() { Close(nullptr); }
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // The four values go to the OS unchanged (Windows file API values).
    // Reports nothing on failure. An open handle is closed first.
    bool Open(const char16_t* path, std::uint32_t access, std::uint32_t share,
              std::uint32_t disposition, std::uint32_t attributes) noexcept;
    // True when nothing was open or the close succeeded; a failure leaves the
    // system's error text in `errorText` when given. Closed afterwards in
    // every case.
    bool Close(std::u16string* errorText);
    bool IsOpen() const noexcept { return m_handle != platform::kInvalidFile; }
    // -1 when the size cannot be read.
    std::int64_t Size() const noexcept { return platform::FileSize(m_handle); }
    // One write call at the current position; true only when every byte went.
    bool Write(const void* data, std::uint32_t byteCount) noexcept {
        return platform::WriteFile(m_handle, data, byteCount);
    }
    bool SeekToEnd() noexcept { return platform::SeekToEnd(m_handle); }

private:
    platform::FileHandle m_handle = platform::kInvalidFile;
};

}  // namespace vzv
