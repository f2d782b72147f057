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
    // The last component holds no separator and ends the path.
    if (last.find_first_of(u"\\/") != std::u16string::npos ||
        path.compare(path.size() - last.size(), last.size(), last) != 0)
        std::abort();
    return 0;
}
