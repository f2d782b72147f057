#include "engine/log_path.h"

#include "platform/platform.h"

namespace vzv {

bool IsAbsolutePath(const std::u16string& path) {
    if (path.find(u':') == 1) return true;
    // A slash leads absolute paths where the OS writes them with slashes.
    return !path.empty() && (path[0] == u'\\' || path[0] == u'/');
}

std::u16string MakeAbsolutePath(const std::u16string& path, const char16_t* base) {
    if (IsAbsolutePath(path)) return NormalizePath(path);
    std::u16string candidate = base != nullptr ? std::u16string(base) : platform::CurrentDirectory();
    if (candidate.empty() || candidate.back() != u'\\') candidate += u'\\';
    candidate += path;
    return NormalizePath(std::move(candidate));
}

std::u16string NormalizePath(std::u16string path) {
    // Doubled backslashes, from the right; a leading pair (network path) stays.
    for (;;) {
        const auto at = path.rfind(u"\\\\");
        if (at == std::u16string::npos || at == 0 || (at == 1 && path[0] == u'\\')) break;
        path.erase(at, 1);
    }
    // "\.." removes the segment before it.
    for (;;) {
        const auto at = path.find(u"\\..");
        if (at == std::u16string::npos || at == 0) break;
        const auto before = path.rfind(u'\\', at - 1);
        if (before == std::u16string::npos) break;
        path.erase(before, at + 3 - before);
    }
    for (auto at = path.find(u".\\"); at != std::u16string::npos; at = path.find(u".\\"))
        path.erase(at, 2);
    if (path.size() >= 2 && path.compare(path.size() - 2, 2, u"\\.") == 0) path.pop_back();
    return path;
}

}  // namespace vzv
