#include "engine/log_level.h"

namespace vzv {

std::u16string LevelName(std::int32_t level) {
    switch (level) {
        case LOGLEVEL_OFF: return u"Off";
        case LOGLEVEL_ERROR: return u"Error";
        case LOGLEVEL_INFO: return u"Info";
        case LOGLEVEL_DEBUG: return u"Debug";
        case LOGLEVEL_VERBOSE: return u"Verbose";
        default: return u"<Unknown>";
    }
}

}  // namespace vzv
