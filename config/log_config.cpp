#include "config/log_config.h"

#include "path/path_utils.h"
#include "platform/platform.h"
#include "text/decimal.h"

#include <utility>

namespace vzv {

// Set up in this order when the library loads; torn down in reverse.
std::atomic<bool> CLogConfig::s_bInitialized{false};
std::atomic<bool> CLogConfig::s_bExpertMode{false};
std::atomic<std::int32_t> CLogConfig::s_eLogLevel{LOGLEVEL_OFF};
std::recursive_mutex CLogConfig::s_pathMutex;
std::u16string CLogConfig::s_wsLogPath;
const std::u16string CLogConfig::s_wsDefaultDir = u"%PROGRAMDATA%\\Brivant\\Licensing\\";
const std::u16string CLogConfig::s_wsExpertDir = u"%PROGRAMDATA%\\Brivant\\LOG.Expert\\";
const std::u16string CLogConfig::s_wsExpertMarker = u"CppLogger.json";

namespace {

// "VuzavovEro_%Y-%m-%d_%H-%M-%S.log" for the current local time.
std::u16string DefaultFileName() {
    const platform::LocalTime now = platform::LocalTimeNow();
    std::u16string name = u"VuzavovEro_";
    AppendDecimal(name, now.year, 4);
    const std::pair<char16_t, unsigned> fields[] = {
        {u'-', now.month}, {u'-', now.day}, {u'_', now.hour}, {u'-', now.minute}, {u'-', now.second}};
    for (const auto& [separator, value] : fields) {
        name += separator;
        AppendDecimal(name, value, 2);
    }
    return name + u".log";
}

}  // namespace

std::u16string CLogConfig::ExpandDirectory(const std::u16string& directory) {
    std::u16string expanded = directory;
    ExpandEnvVars(expanded);
    // Both directories begin with %PROGRAMDATA%. Windows always sets it; a
    // POSIX system rarely does, and the directory would then lie under the
    // root, where an ordinary user cannot write. The user's own state
    // directory takes the variable's place there. On Windows that directory
    // is empty, which keeps the plain expansion of a missing variable.
    std::u16string programData;
    if (!platform::GetEnvironmentValue(u"PROGRAMDATA", programData) || programData.empty())
        expanded.insert(0, platform::UserStateDirectory());
    return expanded;
}

const char16_t* CLogConfig::GetLogPath() {
    const std::lock_guard<std::recursive_mutex> lock(s_pathMutex);
    if (GetFileBaseName(s_wsLogPath).empty())
        s_wsLogPath = ExpandDirectory(IsExpertMode() ? s_wsExpertDir : s_wsDefaultDir) +
                      DefaultFileName();
    return s_wsLogPath.c_str();
}

void CLogConfig::ExpandEnvVars(std::u16string& text) {
    for (int pass = 0; pass < kMaxExpansions; ++pass) {
        const auto open = text.find(u'%');
        if (open == std::u16string::npos) return;
        const auto close = text.find(u'%', open + 1);
        if (close == std::u16string::npos) return;
        const std::u16string name = text.substr(open + 1, close - open - 1);
        std::u16string value;
        if (name.empty() || !platform::GetEnvironmentValue(name.c_str(), value)) value.clear();
        text.replace(open, close - open + 1, value);
    }
}

}  // namespace vzv
