// Environment expansion with values that the input chooses, names of
// themselves and each other included: it ends, and within its bound.
#include "config/log_config.h"
#include "fuzz_input.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // "<value of VZV_FUZZ_A>\0<value of VZV_FUZZ_B>\0<text>", each part
    // optional; values are bytes, the text UTF-16.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t a = bytes.find('\0');
    const std::size_t b = a == std::string::npos ? a : bytes.find('\0', a + 1);
    ::setenv("VZV_FUZZ_A", bytes.substr(0, a).c_str(), 1);
    ::setenv("VZV_FUZZ_B", a == std::string::npos ? "" : bytes.substr(a + 1, b - a - 1).c_str(), 1);
    const std::size_t from = b == std::string::npos ? 0 : b + 1;
    std::u16string text = vzv::fuzz::Utf16(data + from, size - from);
    const std::size_t before = text.size();
    vzv::CLogConfig::ExpandEnvVars(text);
    // Each of the bounded replacements adds at most the longest value.
    if (text.size() > before + vzv::CLogConfig::kMaxExpansions * (size + 1)) std::abort();
    return 0;
}
