// CLogFacade: the single object every VuzavovEro method passes through.
// Creating it is the library's start-up.
#pragma once

#include "config/log_config.h"

#include <atomic>
#include <cstdint>
#include <string_view>

namespace vzv {

class CLogFacade {
public:
    // Created on first use, thread-safely: the expert-mode check runs, then
    // the configured path and level go to the engine. A creation that throws
    // is retried by the next call. Inline: every call asks for it, and after
    // the first it is one load.
    static CLogFacade& Instance() {
        CLogFacade* const facade = s_instance.load(std::memory_order_acquire);
        return facade != nullptr ? *facade : Create();
    }
    CLogFacade(const CLogFacade&) = delete;
    CLogFacade& operator=(const CLogFacade&) = delete;

    void Error(std::string_view text);
    void Error(std::u16string_view text);
    void Information(std::string_view text);
    void Information(std::u16string_view text);
    void Debug(std::string_view text);
    void Debug(std::u16string_view text);
    void Verbose(std::string_view text);
    void Verbose(std::u16string_view text);

    // Inline: the traced scope asks for it on every construction.
    std::int32_t GetLogLevel() noexcept { return CLogConfig::GetLogLevel(); }
    void SetLogLevel(std::int32_t level);
    const char16_t* GetLogPath();
    void SetLogPath(const char16_t* path);

private:
    CLogFacade();
    ~CLogFacade() = default;
    static CLogFacade& Create();

    static std::atomic<CLogFacade*> s_instance;
};

}  // namespace vzv
