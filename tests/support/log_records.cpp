#include "support/log_records.h"

#include "support/test_files.h"

#include <fstream>
#include <regex>

namespace vzv::test {

LogScan ScanLog(const std::filesystem::path& path, std::uintmax_t from) {
    LogScan scan;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return scan;
    const auto size = static_cast<std::uintmax_t>(in.tellg());
    if (from >= size) return scan;
    std::string bytes(static_cast<std::size_t>(size - from), '\0');
    in.seekg(static_cast<std::streamoff>(from));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (!wide.empty() && wide[0] == u'\xFEFF') wide.erase(0, 1);
    const std::string text = Narrow(wide);

    static const std::regex prefix(R"( *\d+ \| \d\d\.\d\d\.\d\d \d\d:\d\d:\d\d\.\d{3} \|(-?\d+)\| )");
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool terminated = end != std::string::npos;
        if (!terminated) end = text.size();
        const std::string physical = text.substr(start, end - start);
        start = end + 1;
        std::smatch m;
        const std::string head = physical.substr(0, 64);
        if (!terminated || physical.empty() || physical.back() != '\r' ||
            !std::regex_search(head, m, prefix, std::regex_constants::match_continuous)) {
            ++scan.broken;
            continue;
        }
        const std::size_t body = static_cast<std::size_t>(m.length(0));
        scan.lines.push_back({std::stoi(m[1].str()), physical.substr(body, physical.size() - body - 1)});
    }
    return scan;
}

}  // namespace vzv::test
