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
    // Another spelling of the same file is no move at all. Only a plain file
    // is moved: a link planted in its place is neither read nor removed.
    if (!platform::IsPlainFile(previous.c_str()) ||
        platform::IsSameFile(previous.c_str(), next.c_str()))
        return next;
    const std::u16string startup = StartupLogName(next);
    if (platform::IsSameFile(previous.c_str(), startup.c_str())) return startup;  // in place
    // Nothing is lost when the copy fails: the previous file stays.
    if (!platform::CopyFileContents(previous.c_str(), startup.c_str())) return previous;
    platform::RemoveFile(previous.c_str());
    return startup;
}

}  // namespace vzv
