// The reader as a Windows service: the service control manager starts the
// program and later asks it to stop.
#pragma once

#include <functional>

namespace vzv::platform {

// Runs `work` as the process's service and gives its exit status in
// `status`. `stop` is called, on another thread, when the manager asks the
// service to stop or the system shuts down; `work` is to return soon after.
// False, with nothing run, when the process was not started by a service
// manager or the system has none.
bool RunAsService(const std::function<int()>& work, void (*stop)() noexcept, int& status);

}  // namespace vzv::platform
