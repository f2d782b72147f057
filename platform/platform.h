// The operating-system primitives the library is built on. This header is the
// only contract between the portable core and the OS: platform/windows and
// platform/posix implement it, and CMake compiles exactly one of the two.
//
// Paths and texts cross this boundary as UTF-16 (char16_t). Windows passes
// them to the wide APIs unchanged; POSIX converts them to UTF-8 and treats a
// backslash like a slash, so that Windows-style log paths name the same file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vzv::platform {

// ---- Recursive lock -------------------------------------------------------
// Windows: an unnamed mutex object. POSIX: a recursive, robust pthread mutex.
using MutexHandle = void*;

enum class WaitResult { Acquired, Abandoned, Timeout, Failed };

constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

// Null when the OS object cannot be created.
MutexHandle CreateMutexObject(bool initiallyOwned) noexcept;
// Abandoned: the previous owner thread ended while holding the lock; the
// caller owns it now, as after Acquired.
WaitResult WaitForMutex(MutexHandle mutex, std::uint32_t timeoutMs) noexcept;
// False when the calling thread does not own the lock.
bool ReleaseMutexObject(MutexHandle mutex) noexcept;
void CloseMutexObject(MutexHandle mutex) noexcept;

// ---- File handle ----------------------------------------------------------
// Open parameters keep the values of the Windows file API, so the writer
// states its exact intent on every platform.
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kFileShareRead = 0x1u;
constexpr std::uint32_t kCreateAlways = 2u;
constexpr std::uint32_t kOpenExisting = 3u;
constexpr std::uint32_t kFileAttributeNormal = 0x80u;

using FileHandle = std::intptr_t;
constexpr FileHandle kInvalidFile = -1;  // INVALID_HANDLE_VALUE

// POSIX stands an exclusive advisory lock in for the read-only share mode: a
// second writer of the same file fails to open it, as on Windows.
// Only a plain file is opened: the last path component is never followed
// through a link, and anything but a regular file with a single link is
// refused as if it could not be opened. kCreateAlways empties a file only
// after that check. New files get mode 0644 before the umask; handles are
// never inherited by child processes.
FileHandle OpenFile(const char16_t* path, std::uint32_t access, std::uint32_t share,
                    std::uint32_t disposition, std::uint32_t attributes) noexcept;
// One write call; true only when every byte was written.
bool WriteFile(FileHandle file, const void* data, std::uint32_t byteCount) noexcept;
bool SeekToEnd(FileHandle file) noexcept;
// -1 when the size cannot be read.
std::int64_t FileSize(FileHandle file) noexcept;
// The handle is gone afterwards whatever the result.
bool CloseFile(FileHandle file) noexcept;

// The calling thread's last system error as "<system text> errorcode: <n>".
std::u16string GetLastErrorText();

// ---- Time and thread ------------------------------------------------------
struct LocalTime {
    std::uint16_t year, month, day, hour, minute, second, millisecond;
};
LocalTime LocalTimeNow() noexcept;
// A clock that only moves forward, for elapsed times; never zero.
std::int64_t MonotonicNanoseconds() noexcept;
std::uint32_t CurrentThreadId() noexcept;
// Tells the processor that the thread waits in a loop (x86 `pause`), which
// leaves more of the core to the thread it waits for.
void SpinPause() noexcept;

// ---- File system ----------------------------------------------------------
// The file functions below that write, create, move or remove guard the last
// path component as OpenFile does; directories above it may be links.
bool PathExists(const char16_t* path) noexcept;
bool MakeDirectory(const char16_t* path) noexcept;
bool IsDirectory(const char16_t* path) noexcept;
// An existing plain file: a regular file with a single link, not a link
// itself. The only kind of file the library writes, moves or removes.
bool IsPlainFile(const char16_t* path) noexcept;
// Removes a plain file only (Windows: through the checked handle).
bool RemoveFile(const char16_t* path) noexcept;
// Moves a plain file only (Windows: through the checked handle). An existing
// `to` is replaced on POSIX and kept (failure) on Windows; either way only
// its name is affected, never what a link there points to.
bool RenameFile(const char16_t* from, const char16_t* to) noexcept;
// As RenameFile, but an existing `to` is kept (failure) on every platform.
bool PlaceFile(const char16_t* from, const char16_t* to) noexcept;
// Both name one existing file (same volume and index, or device and inode),
// the last components taken as they are, not followed.
bool IsSameFile(const char16_t* a, const char16_t* b) noexcept;
// Creates an empty file when none exists; never truncates an existing one.
// False when the name holds anything but a plain file.
bool CreateEmptyFile(const char16_t* path) noexcept;
// Copies every byte of plain file `from` into plain file `to` (created or
// emptied after its check). True only when the whole content arrived.
bool CopyFileContents(const char16_t* from, const char16_t* to) noexcept;
// The last `size` bytes of plain file `path`, read while a writer may hold
// it; false when the file is shorter or cannot be read.
bool ReadFileTail(const char16_t* path, void* out, std::size_t size) noexcept;
// Empty when it cannot be read.
std::u16string CurrentDirectory();
// False when the variable is not set.
bool GetEnvironmentValue(const char16_t* name, std::u16string& value);
// A path as the OS shows it: slashes for backslashes on POSIX, unchanged on
// Windows.
std::u16string NativePathText(const char16_t* path);
// Where a user's own state lives when no machine-wide data directory is
// configured: $XDG_STATE_HOME or ~/.local/state on POSIX; empty on Windows,
// which always has one.
std::u16string UserStateDirectory();

}  // namespace vzv::platform
