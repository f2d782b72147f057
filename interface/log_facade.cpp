#include "interface/log_facade.h"

#include "config/log_config.h"
#include "engine/log_engine.h"

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

void CLogFacade::Error(std::string_view text) { CLogEngine::GetInstance().LogError(text); }
void CLogFacade::Error(std::u16string_view text) { CLogEngine::GetInstance().LogError(text); }
void CLogFacade::Information(std::string_view text) { CLogEngine::GetInstance().LogInfo(text); }
void CLogFacade::Information(std::u16string_view text) { CLogEngine::GetInstance().LogInfo(text); }
void CLogFacade::Debug(std::string_view text) { CLogEngine::GetInstance().LogDebug(text); }
void CLogFacade::Debug(std::u16string_view text) { CLogEngine::GetInstance().LogDebug(text); }
void CLogFacade::Verbose(std::string_view text) { CLogEngine::GetInstance().LogVerbose(text); }
void CLogFacade::Verbose(std::u16string_view text) { CLogEngine::GetInstance().LogVerbose(text); }

void CLogFacade::SetLogLevel(std::int32_t level) { CLogConfig::SetLogLevel(level); }
const char16_t* CLogFacade::GetLogPath() { return CLogConfig::GetLogPath(); }
void CLogFacade::SetLogPath(const char16_t* path) { CLogConfig::SetLogPath(path); }

}  // namespace vzv
