// The stateless path helpers on any UTF-16 text, made absolute against any
// base: the first byte splits the input into base and path.
#include "fuzz_input.h"
#include "path/path_utils.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t split = size == 0 ? 0 : (data[0] % (size + 1)) & ~std::size_t{1};
    const std::u16string base = vzv::fuzz::Utf16(data, split);
    const std::u16string path = vzv::fuzz::Utf16(data + split, size - split);
    const std::u16string last = vzv::GetLastPathComponent(path);
    std::u16string name, extension;
    // The last component holds no separator and ends the path; the base name
    // is part of it; the parts of a split name keep their limit; normalising
    // never lengthens.
    if (vzv::GetFileBaseName(path).size() > last.size() ||
        last.find_first_of(u"\\/") != std::u16string::npos ||
        path.compare(path.size() - last.size(), last.size(), last) != 0 ||
        (vzv::SplitFileName(path, name, extension) &&
         (name.size() > vzv::kMaxNamePartLength || extension.size() > vzv::kMaxNamePartLength)) ||
        vzv::NormalizePath(path).size() > path.size()) std::abort();
    vzv::MakeAbsolutePath(path, base.c_str());
    return 0;
}
