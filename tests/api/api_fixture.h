// Every test of this suite runs in a fresh process (the library's state is
// process-wide) with PROGRAMDATA pointing at a scratch folder of its own.
#pragma once

#include "VuzavovEro.h"
#include "support/test_env.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vzv::test {

namespace fs = std::filesystem;
using Log = Brivant::Service::VuzavovEro;

class ApiTest : public ::testing::Test {
protected:
    ApiTest() : m_dir("api"), root(m_dir.path()) { SetEnv("PROGRAMDATA", root.string()); }

    // A path under the scratch folder as the public interface takes it.
    std::wstring Path(const std::string& relative) const {
        const std::u16string p = Utf16(root / relative);
        return std::wstring(p.begin(), p.end());
    }
    // The log files in the default folder.
    std::vector<fs::path> DefaultLogs() const {
        std::vector<fs::path> logs;
        const fs::path dir = root / "Brivant" / "Licensing";
        if (fs::exists(dir))
            for (const auto& entry : fs::directory_iterator(dir)) logs.push_back(entry.path());
        return logs;
    }

private:
    ScratchDir m_dir;

protected:
    const fs::path root;
};

inline fs::path ToPath(const wchar_t* path) {
    return fs::path(std::u16string(path, path + std::char_traits<wchar_t>::length(path)));
}

}  // namespace vzv::test
