// Every test of this suite runs in a fresh process with PROGRAMDATA pointing
// at a scratch folder of its own, and drives the library through its public
// header only.
#pragma once

#include "VuzavovEro.h"
#include "support/child_process.h"
#include "support/log_records.h"
#include "support/test_env.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace vzv::test {

namespace fs = std::filesystem;
using Log = Brivant::Service::VuzavovEro;

// The writer's size cap and how often it looks at the size.
inline constexpr std::uintmax_t kCap = 52428800;
inline constexpr int kCheckEvery = 50;

class ReliabilityTest : public ::testing::Test {
protected:
    ReliabilityTest() : m_dir("rel"), root(m_dir.path()) { SetEnv("PROGRAMDATA", root.string()); }

    std::wstring Path(const std::string& relative) const { return Wide(root / relative); }
    static std::wstring Wide(const fs::path& path) {
        const std::u16string p = path.u16string();
        return std::wstring(p.begin(), p.end());
    }
    // The texts of the whole lines, without the library's own (level 0).
    static std::vector<std::string> Texts(const fs::path& path, std::uintmax_t from = 0) {
        std::vector<std::string> texts;
        const LogScan scan = ScanLog(path, from);
        EXPECT_EQ(scan.broken, 0u) << path;
        for (const LogRecord& line : scan.lines)
            if (line.level != 0) texts.push_back(line.text);
        return texts;
    }

    // Waits (up to half a minute) until a child's output holds `text`.
    static bool WaitForOutput(const fs::path& output, const std::string& text = "\n") {
        for (int i = 0; i < 6000; ++i) {
            if (ReadBytes(output).find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

private:
    ScratchDir m_dir;

protected:
    const fs::path root;
};

}  // namespace vzv::test
