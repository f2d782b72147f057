// Strict UTF-8 conversion: any bytes, into any room, converts only
// well-formed text and never writes past the target.
#include "text/utf8.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bool failed = false;
    const std::u16string whole =
        vzv::Utf8ToWide(std::string(reinterpret_cast<const char*>(data), size), &failed);
    // The same bytes into a target whose room the first byte chooses.
    std::vector<char16_t> room(size == 0 ? 0 : data[0] % 64);
    const unsigned char* source = data;
    char16_t* target = room.data();
    const bool ok = vzv::ConvertUTF8toUTF16(&source, data + size, &target,
                                            room.data() + room.size()) == vzv::conversionOK;
    // Text that converts whole must agree with the string form up to its NUL.
    if ((failed && !whole.empty()) || source < data || source > data + size ||
        target < room.data() || target > room.data() + room.size() ||
        (ok && !failed && std::u16string(room.data(), target).substr(0, whole.size()) != whole))
        std::abort();
    return 0;
}
