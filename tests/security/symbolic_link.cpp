#include "symbolic_link.h"

#include <system_error>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace vzv::test {

bool MakeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link,
                      bool directory) {
#ifdef _WIN32
    const DWORD kind = directory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
    // Developer mode first, then the administrator's right.
    if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(), kind | 0x2 /* unprivileged */))
        ::CreateSymbolicLinkW(link.c_str(), target.c_str(), kind);
    // Older wine reports success without making anything.
    const DWORD attributes = ::GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    std::error_code error;
    if (directory)
        std::filesystem::create_directory_symlink(target, link, error);
    else
        std::filesystem::create_symlink(target, link, error);
    return !error && std::filesystem::is_symlink(link);
#endif
}

}  // namespace vzv::test
