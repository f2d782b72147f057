// The reliability suite drives the library through its public header, each
// test in a fresh process, some with a second client process.
#pragma once

#include "api/api_fixture.h"
#include "support/child_process.h"

#include <chrono>
#include <thread>

namespace vzv::test {

using ReliabilityTest = ApiTest;

// The client program of child/child.cpp as built.
inline const fs::path kChild = VZV_CHILD;

// Waits (up to half a minute) until a child's output holds `text`.
inline bool WaitForOutput(const fs::path& output, const std::string& text) {
    for (int i = 0; i < 6000; ++i) {
        if (ReadBytes(output).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

}  // namespace vzv::test
