// Printing a log's new records as it grows, until Ctrl+C.
#pragma once

#include "log_source.h"
#include "record_filter.h"
#include "record_printer.h"

#include <optional>

namespace vzv::reader {

// `source` has been read to its end. Polls it every 200 ms; stops on SIGINT
// or after `seconds`, printing what the file held by then.
void Follow(LogSource& source, const RecordFilter& filter, RecordPrinter& printer,
            std::optional<double> seconds);

}  // namespace vzv::reader
