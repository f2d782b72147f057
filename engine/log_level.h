// Log levels: a lower number is more severe; a message passes when its level
// is at most the current one (signed comparison).
#pragma once

#include <cstdint>
#include <string>

namespace vzv {

enum eLOGLEVEL : int {
    LOGLEVEL_OFF = 0,  // logging off; also the level of the library's own lines
    LOGLEVEL_ERROR = 1,
    LOGLEVEL_INFO = 2,
    LOGLEVEL_DEBUG = 3,
    LOGLEVEL_VERBOSE = 4,
};

// "Off", "Error", "Info", "Debug", "Verbose", or "<Unknown>".
std::u16string LevelName(std::int32_t level);

}  // namespace vzv
