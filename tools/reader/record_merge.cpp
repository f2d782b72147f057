#include "record_merge.h"

#include <algorithm>
#include <optional>

namespace vzv::reader {

void PrintInTurn(const std::vector<LogSource*>& sources, const RecordFilter& filter,
                 RecordPrinter& printer) {
    Record record;
    for (LogSource* source : sources)
        while (source->Next(record))
            if (filter.Accepts(record)) printer.Print(record);
}

void PrintMerged(const std::vector<LogSource*>& sources, const RecordFilter& filter,
                 RecordPrinter& printer) {
    struct Head {
        LogSource* source;
        std::optional<Record> record;
        std::uint64_t key = 0;
        void Advance() {
            Record next;
            if (source->Next(next)) {
                key = next.time.Key();
                record = std::move(next);
            } else {
                record.reset();
            }
        }
    };
    std::vector<Head> heads;
    for (LogSource* source : sources) {
        heads.push_back({source, std::nullopt});
        heads.back().Advance();
    }
    std::stable_sort(heads.begin(), heads.end(), [](const Head& a, const Head& b) {
        return a.record && (!b.record || a.key < b.key);
    });
    for (;;) {
        Head* first = nullptr;
        for (Head& head : heads)
            if (head.record && (!first || head.key < first->key)) first = &head;
        if (!first) return;
        if (filter.Accepts(*first->record)) printer.Print(*first->record);
        first->Advance();
    }
}

}  // namespace vzv::reader
