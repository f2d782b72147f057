// The guard shared by every Windows primitive that writes, creates, reads,
// moves or removes a log file by name: the last component is never followed.
#pragma once

#include "platform/windows/win32.h"

namespace vzv::platform {

// CreateFileW with FILE_FLAG_OPEN_REPARSE_POINT (a link is opened itself, not
// its target) and no inheritance, then a check on the handle: anything but a
// regular file with a single link is closed again. FILE_READ_ATTRIBUTES is
// added to `access` for that check; it takes no part in sharing.
// CREATE_ALWAYS opens as OPEN_ALWAYS and empties the file after the check.
// INVALID_HANDLE_VALUE with the last error set on failure or refusal.
HANDLE OpenPlainFile(const char16_t* path, DWORD access, DWORD share, DWORD disposition,
                     DWORD flags) noexcept;
// The same, a file with several links allowed unless `singleLink`; a device
// (not FILE_TYPE_DISK) is refused as well.
HANDLE OpenRegularFile(const char16_t* path, DWORD access, DWORD share, DWORD disposition,
                       DWORD flags, bool singleLink) noexcept;

}  // namespace vzv::platform
