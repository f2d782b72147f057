// Ctrl+C and a service manager's stop (SIGINT, SIGTERM) end following
// cleanly: the loop looks at the flag between batches.
#pragma once

namespace vzv::reader {

// Catches the signals while it lives; the previous handlers come back after.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    void (*m_previousInt)(int);
    void (*m_previousTerm)(int);
};

// What the signals do, also for a Windows service's stop.
void RequestInterrupt() noexcept;
bool Interrupted() noexcept;

}  // namespace vzv::reader
