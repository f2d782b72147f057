#include "follow.h"

#include "interrupt.h"

#include <chrono>
#include <thread>

namespace vzv::reader {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(200);

}  // namespace

void Follow(LogSource& source, const RecordFilter& filter, RecordPrinter& printer,
            std::optional<double> seconds) {
    using Clock = std::chrono::steady_clock;
    const InterruptGuard guard;
    // Beyond some 30 years the deadline would overflow the clock: no deadline.
    const bool bounded = seconds && *seconds < 1e9;
    const auto deadline = bounded ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                       std::chrono::duration<double>(*seconds))
                                  : Clock::time_point::max();
    Record record;
    const auto printReady = [&] {
        while (source.Next(record))
            if (filter.Accepts(record)) printer.Print(record);
        printer.Flush();
    };
    while (!Interrupted() && Clock::now() < deadline) {
        std::this_thread::sleep_for(kPollInterval);
        source.Poll();
        printReady();
    }
    source.Finish();
    printReady();
}

}  // namespace vzv::reader
