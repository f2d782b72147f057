// Stateless helpers on log paths: whether a path names a file, creating the
// directories on the way to one, and the absolute form of a path. Backslash
// and slash both separate components everywhere here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vzv {

inline bool IsPathSeparator(char16_t c) noexcept { return c == u'\\' || c == u'/'; }

// A name or an extension split off a file name holds at most this many units;
// the file system's own limit for one component is the same.
inline constexpr std::size_t kMaxNamePartLength = 255;

// The last component less its final four characters (less ".log", for a log
// name), or the whole component when it is shorter. Empty exactly when the
// path names no file: it is empty, ends with a separator, or its last
// component has four characters.
std::u16string GetFileBaseName(std::u16string_view path);

// Creates every missing directory before the last component, and the last
// one too when the path ends with a separator. True when all of them exist
// afterwards (for a path ending with a separator: when the last one is a
// directory). Directories created before a failure stay. A network path's
// server name is never created. A bare server name ("\\srv", "//srv/"), a
// null path and a name or extension longer than kMaxNamePartLength give false.
bool EnsurePathDirectories(const char16_t* path);

// Splits the last component at its last dot: "a.b.log" gives "a.b" and
// ".log"; without a dot the extension is empty. False, with both cleared,
// when either part is longer than kMaxNamePartLength.
bool SplitFileName(std::u16string_view path, std::u16string& name, std::u16string& extension);

// The text after the last separator; empty when the path is empty or ends
// with a separator.
std::u16string GetLastPathComponent(std::u16string_view path);

// A drive letter ("C:"), or a leading separator (root-relative and network
// paths).
bool IsAbsolutePath(std::u16string_view path) noexcept;
// `path` itself when absolute, else `base` (the working directory when null)
// joined to it with a backslash; normalised either way.
std::u16string MakeAbsolutePath(const std::u16string& path, const char16_t* base = nullptr);
// Drops empty components (doubled separators, but not a network path's
// leading pair), "." components and each ".." with the component before it.
// The separators that stay are kept as written; a final "." leaves the
// separator before it.
std::u16string NormalizePath(std::u16string_view path);

}  // namespace vzv
