// The three plain functions and the variable exported under undecorated
// names. The setters go to the configuration directly, without starting the
// facade.
#include "VuzavovEro.h"

#include "config/log_config.h"
#include "interface/wide_text.h"

#include <exception>

extern "C" {

VUZAVOVERO_API std::int32_t LoggerLevel = 0;

VUZAVOVERO_API bool IsExpertMode() { return vzv::CLogConfig::IsExpertMode(); }

VUZAVOVERO_API bool SetLogFilePath(const wchar_t* path) {
    if (path == nullptr) return false;
    try {
        vzv::CLogConfig::SetLogPath(vzv::ToUtf16(path).c_str());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

VUZAVOVERO_API bool SetLogLevel(std::int32_t level) {
    try {
        vzv::CLogConfig::SetLogLevel(level);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // extern "C"
