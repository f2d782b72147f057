#include "record_filter.h"

namespace vzv::reader {

bool RecordFilter::Accepts(const Record& r) const {
    if (maxLevel && r.level > *maxLevel) return false;
    if (thread && r.thread != *thread) return false;
    if (since || until) {
        const std::uint64_t key = r.time.Key();
        if ((since && key < *since) || (until && key > *until)) return false;
    }
    return text.empty() || r.Text().find(text) != std::string_view::npos;
}

}  // namespace vzv::reader
