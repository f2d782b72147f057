// Path normalisation on any text, relative to any base.
#include "path/path_utils.h"
#include "fuzz_input.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t split = size == 0 ? 0 : (data[0] % (size + 1)) & ~std::size_t{1};
    const std::u16string base = vzv::fuzz::Utf16(data, split);
    const std::u16string path = vzv::fuzz::Utf16(data + split, size - split);
    const std::u16string normal = vzv::NormalizePath(path);
    if (normal.size() > path.size()) std::abort();
    vzv::NormalizePath(normal);
    vzv::IsAbsolutePath(path);
    vzv::MakeAbsolutePath(path, base.c_str());
    return 0;
}
