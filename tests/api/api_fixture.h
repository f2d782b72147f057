// Every test of the suites that drive the public header runs in a fresh
// process (the library's state is process-wide) with PROGRAMDATA pointing at
// a scratch folder of its own.
#pragma once

#include "VuzavovEro.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vzv::test {

namespace fs = std::filesystem;
using Log = Brivant::Service::VuzavovEro;
using Lines = std::vector<std::string>;

class ApiTest : public ::testing::Test {
protected:
    ApiTest() { SetEnv("PROGRAMDATA", root.u8string()); }

    // A path (UTF-8) under the scratch folder as the public interface takes it.
    std::wstring Path(const std::string& relative) const {
        return Wide(root / fs::u8path(relative));
    }

    const ScratchDir scratch{"api"};
    const fs::path root = scratch.path();
    const fs::path licensing = root / "Brivant" / "Licensing";  // the default folder
    const fs::path expert = root / "Brivant" / "LOG.Expert";    // the one that forces level 4
};

inline fs::path ToPath(const wchar_t* path) {
    const std::wstring text(path);
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) return fs::path(text);
    return fs::path(std::u32string(text.begin(), text.end()));
}

}  // namespace vzv::test
