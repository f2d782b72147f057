// The file work of moving logging to a new file: the new file made ready,
// and the start-up log that follows each move. The engine decides when.
#pragma once

#include <string>

namespace vzv {

// `path` with its first ".log" and all after it replaced by ".startup.log";
// `path` itself when it holds no ".log".
std::u16string StartupLogName(const std::u16string& path);

// Makes sure a file exists at `path`, which names one: creates the missing
// directories and an empty file. An existing file is never truncated.
void CreateLogFile(const std::u16string& path);

// Moves the plain file `previous` into the start-up log of `next` and
// returns the path the engine records afterwards: the start-up log after a
// move, `previous` when the copy failed (it stays, to be moved by the next
// change), `next` when there was nothing to move.
std::u16string MoveToStartupLog(const std::u16string& previous, const std::u16string& next);

}  // namespace vzv
