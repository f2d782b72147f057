// Path helpers with which the writer computes its default path from the
// working directory. Backslash is the separator they normalise.
#pragma once

#include <string>

namespace vzv {

inline constexpr const char16_t* kDefaultLogFileName = u"RavIrivuzo.log";

// A drive letter ("C:"), or a leading separator (root-relative and network
// paths).
bool IsAbsolutePath(const std::u16string& path);
// `path` itself when absolute, else `base` (the working directory when null)
// joined to it; normalised either way.
std::u16string MakeAbsolutePath(const std::u16string& path, const char16_t* base = nullptr);
// Collapses doubled backslashes (keeping a leading pair), "\..\" parent
// segments and ".\" segments, and a final "\.".
std::u16string NormalizePath(std::u16string path);

}  // namespace vzv
