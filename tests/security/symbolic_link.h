// Symbolic links for the tests, made with the system's own call: the C++
// library of mingw-w64 makes none on Windows.
#pragma once

#include <filesystem>

namespace vzv::test {

// True only when `link` now is a symbolic link to `target`; Windows allows
// it to administrators and in developer mode, wine only from 10.20 on.
bool MakeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link,
                      bool directory = false);

}  // namespace vzv::test
