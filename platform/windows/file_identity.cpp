#include "platform/file_identity.h"
#include "platform/windows/win32.h"

namespace vzv::platform {

bool GetFileIdentity(const char16_t* path, FileIdentity& identity) noexcept {
    // No access asked and every sharing allowed: the writer may rename or
    // remove the file meanwhile.
    const HANDLE file = ::CreateFileW(Wide(path), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(file, &info) != 0;
    ::CloseHandle(file);
    if (!ok) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool MoveReplacing(const char16_t* from, const char16_t* to) noexcept {
    return ::MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace vzv::platform
