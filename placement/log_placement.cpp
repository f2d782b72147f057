#include "placement/log_placement.h"

#include "path/path_utils.h"
#include "platform/platform.h"

namespace vzv {

std::u16string StartupLogName(const std::u16string& path) {
    const auto at = path.find(u".log");
    if (at == std::u16string::npos) return path;
    return path.substr(0, at) + u".startup.log";
}

void CreateLogFile(const std::u16string& path) {
    if (!platform::PathExists(path.c_str()) && EnsurePathDirectories(path.c_str()))
        platform::CreateEmptyFile(path.c_str());
}

std::u16string MoveToStartupLog(const std::u16string& previous, const std::u16string& next) {
    // The same path, or another spelling of the same file, is no move at all
    // (equal paths are not asked of the file system, which could fail to
    // answer and have the log moved into its own start-up log). Only a
    // plain file is moved: a link planted in its place is neither read nor
    // removed.
    if (previous == next || !platform::IsPlainFile(previous.c_str()) ||
        platform::IsSameFile(previous.c_str(), next.c_str()))
        return next;
    const std::u16string startup = StartupLogName(next);
    if (previous == startup || platform::IsSameFile(previous.c_str(), startup.c_str()))
        return startup;  // in place
    // A rename moves the lines whole: a process killed on the way leaves
    // them in one of the two files, never in both. A start-up log left by an
    // earlier run gives way first (Windows keeps an existing target).
    platform::RemoveFile(startup.c_str());
    if (platform::RenameFile(previous.c_str(), startup.c_str())) return startup;
    // Another volume, or the file held elsewhere: copied, and nothing is lost
    // when the copy fails, as the previous file stays.
    if (!platform::CopyFileContents(previous.c_str(), startup.c_str())) return previous;
    platform::RemoveFile(previous.c_str());
    return startup;
}

}  // namespace vzv
