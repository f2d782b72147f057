#include "path/path_utils.h"

#include "platform/platform.h"

#include <vector>

namespace vzv {

bool IsAbsolutePath(std::u16string_view path) noexcept {
    return path.find(u':') == 1 || (!path.empty() && IsPathSeparator(path[0]));
}

std::u16string MakeAbsolutePath(const std::u16string& path, const char16_t* base) {
    if (IsAbsolutePath(path)) return NormalizePath(path);
    std::u16string candidate = base != nullptr ? std::u16string(base) : platform::CurrentDirectory();
    if (candidate.empty() || !IsPathSeparator(candidate.back())) candidate += u'\\';
    candidate += path;
    return NormalizePath(candidate);
}

std::u16string NormalizePath(std::u16string_view path) {
    // The root stays: a drive with one separator, or the leading separators
    // (two for a network path).
    std::size_t at = path.find(u':') == 1 ? 2 : 0;
    if (at == 2) {
        if (at < path.size() && IsPathSeparator(path[at])) ++at;
    } else {
        while (at < path.size() && IsPathSeparator(path[at])) ++at;
    }
    std::u16string out(path.substr(0, at));
    const std::size_t root = out.size();
    std::vector<std::size_t> kept;  // where each component kept in `out` begins
    while (at <= path.size()) {
        std::size_t end = at;
        while (end < path.size() && !IsPathSeparator(path[end])) ++end;
        const std::u16string_view part = path.substr(at, end - at);
        const bool separated = end < path.size();
        if (part == u".." && !kept.empty()) {
            out.resize(kept.back());
            kept.pop_back();
            // "a\b\.." ends as "a", "a\b\..\" as "a\".
            if (!separated && out.size() > root && IsPathSeparator(out.back())) out.pop_back();
        } else if (!part.empty() && part != u".") {
            kept.push_back(out.size());
            out += part;
            if (separated) out += path[end];
        }
        at = end + 1;
    }
    return out;
}

}  // namespace vzv
