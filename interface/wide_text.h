// wchar_t at the public boundary: UTF-16 on Windows, UTF-32 on Linux. The
// core keeps UTF-16 (char16_t) everywhere.
#pragma once

#include <string>
#include <string_view>

namespace vzv {

std::u16string ToUtf16(const wchar_t* text);
std::wstring ToWide(std::u16string_view text);
// The configured path as the public interface hands it out: text owned by
// the library that stays valid while the path does not change.
const wchar_t* PublishPath(const char16_t* path);

}  // namespace vzv
