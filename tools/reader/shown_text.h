// Text as it may safely be shown: file names as valid UTF-8 whatever bytes
// (POSIX) or UTF-16 units (Windows) the OS gave, and control characters
// written out, so that a name or a logged escape sequence cannot forge a line
// or steer a terminal.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vzv::reader {

// The name in UTF-8; what is not text becomes U+FFFD.
std::string DisplayName(const std::filesystem::path& path);

// Appends `text` (valid UTF-8) with each C0 control character, DEL and C1
// control character written as "\x1b" (or "\u009b" for C1); a TAB is kept
// when `keepTab`.
void AppendEscaped(std::string& out, std::string_view text, bool keepTab);

// A name for warnings: DisplayName, escaped.
std::string ShownName(const std::filesystem::path& path);
// A text given as UTF-8 that may not be, escaped, for warnings.
std::string ShownText(std::string_view text);

}  // namespace vzv::reader
