// Moving logging to a new file, with the start-up log that follows each move.
#pragma once

#include <string>

namespace vzv {

// `path` with its first ".log" and all after it replaced by ".startup.log";
// `path` itself when it holds no ".log".
std::u16string StartupLogName(const std::u16string& path);

}  // namespace vzv
