// The stateless path helpers on any UTF-16 text.
#include "fuzz_input.h"
#include "path/path_utils.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string path = vzv::fuzz::Utf16(data, size);
    const std::u16string base = vzv::GetFileBaseName(path);
    const std::u16string last = vzv::GetLastPathComponent(path);
    if (base.size() > last.size()) std::abort();
    std::u16string name, extension;
    if (vzv::SplitFileName(path, name, extension) &&
        (name.size() > vzv::kMaxNamePartLength || extension.size() > vzv::kMaxNamePartLength))
        std::abort();
    std::size_t separators = 0;
    for (const char16_t c : path) separators += c == u'\\' || c == u'/';
    if (vzv::SplitAtAnyOf(path, u"\\/").size() != separators + 1) std::abort();
    return 0;
}
