#include "path/path_utils.h"

#include "platform/platform.h"

#include <algorithm>

namespace vzv {

namespace {

constexpr std::u16string_view kSeparators = u"\\/";
constexpr std::size_t kExtensionLength = 4;  // ".log"

// True when something of that name exists (a file counts) or the directory
// was created.
bool MakeDirectoryIfMissing(const char16_t* path) noexcept {
    return platform::PathExists(path) || platform::MakeDirectory(path);
}

}  // namespace

std::u16string GetFileBaseName(std::u16string_view path) {
    std::u16string component = GetLastPathComponent(path);
    if (component.size() >= kExtensionLength) component.resize(component.size() - kExtensionLength);
    return component;
}

bool EnsurePathDirectories(const char16_t* path) {
    if (path == nullptr) return false;
    std::u16string name, extension;
    if (!SplitFileName(path, name, extension)) return false;
    const bool namesFile = !name.empty() || !extension.empty();

    // The walk ends each prefix in the copy for a moment, so the prefixes
    // reach the OS without being copied again.
    std::u16string copy(path);
    std::replace(copy.begin(), copy.end(), u'\\', u'/');

    std::size_t start = 0;
    if (copy.compare(0, 2, u"//") == 0) {
        // Network path: the server name is no directory; start at the slash
        // that ends it. A server name alone ("//srv", "//srv/") leaves
        // nothing to create but the server itself.
        start = copy.find(u'/', 2);
        if (start == std::u16string::npos || copy.find_first_not_of(u'/', start) == std::u16string::npos)
            return false;
    }

    // A slash that begins its component (leading or doubled separator) ends
    // no prefix.
    std::size_t componentBegin = start;
    for (auto slash = copy.find(u'/', start); slash != std::u16string::npos;
         slash = copy.find(u'/', componentBegin)) {
        if (slash != componentBegin) {
            copy[slash] = u'\0';
            const bool present = MakeDirectoryIfMissing(copy.c_str());
            copy[slash] = u'/';
            if (!present) return false;
        }
        componentBegin = slash + 1;
    }

    if (namesFile) return true;
    return MakeDirectoryIfMissing(path) && platform::IsDirectory(copy.c_str());
}

bool SplitFileName(std::u16string_view path, std::u16string& name, std::u16string& extension) {
    const std::u16string component = GetLastPathComponent(path);
    const auto dot = component.rfind(u'.');
    if (dot == std::u16string::npos) {
        name = component;
        extension.clear();
    } else {
        name = component.substr(0, dot);
        extension = component.substr(dot);
    }
    if (name.size() <= kMaxNamePartLength && extension.size() <= kMaxNamePartLength) return true;
    name.clear();
    extension.clear();
    return false;
}

std::u16string GetLastPathComponent(std::u16string_view path) {
    const auto separator = path.find_last_of(kSeparators);
    return std::u16string(separator == std::u16string_view::npos ? path : path.substr(separator + 1));
}

}  // namespace vzv
