// Printing the records of several logs: in turn, or merged by time.
#pragma once

#include "log_source.h"
#include "record_filter.h"
#include "record_printer.h"

#include <vector>

namespace vzv::reader {

// Each source's records in file order, one source after the other.
void PrintInTurn(const std::vector<LogSource*>& sources, const RecordFilter& filter,
                 RecordPrinter& printer);

// All records in time order, holding one record per source in memory. Each
// file keeps its own order, and equal times come first from the file that
// began first (a start-up log before an _old generation before the live log).
void PrintMerged(const std::vector<LogSource*>& sources, const RecordFilter& filter,
                 RecordPrinter& printer);

}  // namespace vzv::reader
