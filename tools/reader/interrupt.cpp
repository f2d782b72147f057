#include "interrupt.h"

#include <atomic>
#include <csignal>

namespace vzv::reader {

namespace {
// Set from a signal handler or another thread: a lock-free atomic serves both.
std::atomic<bool> g_interrupted{false};
static_assert(ATOMIC_BOOL_LOCK_FREE == 2);
void OnInterrupt(int) { RequestInterrupt(); }
}  // namespace

InterruptGuard::InterruptGuard()
    : m_previousInt(std::signal(SIGINT, OnInterrupt)),
      m_previousTerm(std::signal(SIGTERM, OnInterrupt)) {}

InterruptGuard::~InterruptGuard() {
    std::signal(SIGINT, m_previousInt);
    std::signal(SIGTERM, m_previousTerm);
}

void RequestInterrupt() noexcept { g_interrupted = true; }
bool Interrupted() noexcept { return g_interrupted; }

}  // namespace vzv::reader
