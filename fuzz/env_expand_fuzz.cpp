// Environment expansion with a value that the input chooses, its own name
// included: it ends, and within its bound.
#include "config/log_config.h"
#include "fuzz_input.h"

#include <algorithm>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // "<value of VZV_FUZZ>\0<text>": the value bytes, the text UTF-16.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = std::min(bytes.find('\0'), size);
    ::setenv("VZV_FUZZ", bytes.substr(0, nul).c_str(), 1);
    const std::size_t from = std::min(nul + 1, size);
    std::u16string text = vzv::fuzz::Utf16(data + from, size - from);
    const std::size_t before = text.size();
    vzv::CLogConfig::ExpandEnvVars(text);
    // Each of the bounded replacements adds at most the longest value.
    if (text.size() > before + vzv::CLogConfig::kMaxExpansions * (size + 1)) std::abort();
    return 0;
}
