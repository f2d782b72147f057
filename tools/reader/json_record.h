// A record as one JSON object with the field names that log stores take as
// they are:
// {"@timestamp":"2026-12-05T14:05:09.123+01:00","log.level":"Info",
//  "log.level_number":2,"process.thread.id":1234,"log.file.path":"App.log",
//  "message":"..."}
#pragma once

#include "record.h"

#include <string>
#include <string_view>

namespace vzv::reader {

// Appends the object and a line feed.
void AppendJsonRecord(std::string& out, const Record& record);
// Appends `text` (valid UTF-8) as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);
// The log's local time in ISO 8601 with this machine's UTC offset at that
// time: 2026-12-05T14:05:09.123+01:00.
std::string IsoWithOffset(const LogTime& time);

}  // namespace vzv::reader
