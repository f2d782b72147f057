#include "interrupt.h"

#include <csignal>

namespace vzv::reader {

namespace {
volatile std::sig_atomic_t g_interrupted = 0;
void OnInterrupt(int) { g_interrupted = 1; }
}  // namespace

InterruptGuard::InterruptGuard()
    : m_previousInt(std::signal(SIGINT, OnInterrupt)),
      m_previousTerm(std::signal(SIGTERM, OnInterrupt)) {}

InterruptGuard::~InterruptGuard() {
    std::signal(SIGINT, m_previousInt);
    std::signal(SIGTERM, m_previousTerm);
}

bool Interrupted() noexcept { return g_interrupted != 0; }

}  // namespace vzv::reader
