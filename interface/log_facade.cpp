#include "interface/log_facade.h"

#include "config/log_config.h"
#include "engine/log_engine.h"
#include "platform/compiler.h"

namespace vzv {

std::atomic<CLogFacade*> CLogFacade::s_instance{nullptr};

CLogFacade& CLogFacade::Create() {
    static CLogFacade facade;
    s_instance.store(&facade, std::memory_order_release);
    return facade;
}

CLogFacade::CLogFacade() {
    CLogConfig::Init();
    const std::u16string path = CLogConfig::GetLogPath();
    CLogEngine::GetInstance().SetPath(path.c_str());
    CLogEngine::GetInstance().SetLevel(CLogConfig::GetLogLevel());
}

VZV_HOT void CLogFacade::Error(const char* text) { CLogEngine::GetInstance().LogError(text); }
VZV_HOT void CLogFacade::Error(const char16_t* text) { CLogEngine::GetInstance().LogError(text); }
VZV_HOT void CLogFacade::Information(const char* text) { CLogEngine::GetInstance().LogInfo(text); }
VZV_HOT void CLogFacade::Information(const char16_t* text) {
    CLogEngine::GetInstance().LogInfo(text);
}
VZV_HOT void CLogFacade::Debug(const char* text) { CLogEngine::GetInstance().LogDebug(text); }
VZV_HOT void CLogFacade::Debug(const char16_t* text) { CLogEngine::GetInstance().LogDebug(text); }
VZV_HOT void CLogFacade::Verbose(const char* text) { CLogEngine::GetInstance().LogVerbose(text); }
VZV_HOT void CLogFacade::Verbose(const char16_t* text) {
    CLogEngine::GetInstance().LogVerbose(text);
}

void CLogFacade::SetLogLevel(std::int32_t level) { CLogConfig::SetLogLevel(level); }
const char16_t* CLogFacade::GetLogPath() { return CLogConfig::GetLogPath(); }
void CLogFacade::SetLogPath(const char16_t* path) { CLogConfig::SetLogPath(path); }

}  // namespace vzv
