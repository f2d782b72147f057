#include "platform/service.h"

#include "platform/windows/win32.h"

#include <mutex>

namespace vzv::platform {

namespace {

// The dispatcher's ServiceMain takes no context: the one service of the
// process lives here.
struct Service {
    const std::function<int()>* work = nullptr;
    void (*stop)() noexcept = nullptr;
    SERVICE_STATUS_HANDLE handle = nullptr;
    SERVICE_STATUS status{};
    std::mutex lock;  // the manager's thread and the service's both report
    int exitStatus = 0;
};
Service g_service;

void Report(DWORD state, DWORD waitHintMs = 0) {
    const std::lock_guard<std::mutex> hold(g_service.lock);
    SERVICE_STATUS& status = g_service.status;
    if (status.dwCurrentState == SERVICE_STOPPED) return;  // final
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWaitHint = waitHintMs;
    status.dwCheckPoint = state == SERVICE_STOP_PENDING ? status.dwCheckPoint + 1 : 0;
    if (state == SERVICE_STOPPED && g_service.exitStatus != 0) {
        status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
        status.dwServiceSpecificExitCode = static_cast<DWORD>(g_service.exitStatus);
    }
    SetServiceStatus(g_service.handle, &status);
}

DWORD WINAPI OnControl(DWORD control, DWORD, void*, void*) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        // The work ends after the batch at hand, which may take a moment.
        Report(SERVICE_STOP_PENDING, 10000);
        g_service.stop();
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
    default: return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    // The name is not checked for a service alone in its process.
    g_service.handle = RegisterServiceCtrlHandlerExW(L"vuzavov-log", OnControl, nullptr);
    if (!g_service.handle) {
        g_service.exitStatus = 1;
        return;
    }
    Report(SERVICE_RUNNING);
    g_service.exitStatus = (*g_service.work)();
    Report(SERVICE_STOPPED);
}

}  // namespace

bool RunAsService(const std::function<int()>& work, void (*stop)() noexcept, int& status) {
    g_service.work = &work;
    g_service.stop = stop;
    wchar_t name[] = L"vuzavov-log";
    const SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    // Returns once the service has stopped; fails at once outside a manager.
    if (!StartServiceCtrlDispatcherW(table)) return false;
    status = g_service.exitStatus;
    return true;
}

}  // namespace vzv::platform
