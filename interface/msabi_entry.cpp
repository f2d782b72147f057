// The LogCppCall constructors as clients of Microsoft's compiler call them:
// the same registers as ours (`this` in RCX, the format in RDX, the rest
// after it), but the constructor returns `this` in RAX, where ours returns
// nothing. The .def file exports these under the decorated constructor names;
// every other member is called the same way in both ABIs and is exported
// directly.
#include "interface/log_cpp_call.h"

#include <cstdarg>

using vzv::LogCppCallAccess;
using LogCppCall = Brivant::Service::VuzavovEro::LogCppCall;

// Only std::bad_alloc can leave Start; as from a constructor, the object is
// destroyed before it propagates.
#define VZV_MS_CONSTRUCTOR(Name, FormatType)                                \
    extern "C" LogCppCall* Name(LogCppCall* self, FormatType format, ...) { \
        LogCppCallAccess::Construct(self);                                  \
        std::va_list args;                                                  \
        va_start(args, format);                                             \
        try {                                                               \
            LogCppCallAccess::StartIfTracing(*self, format, args);          \
        } catch (...) {                                                     \
            va_end(args);                                                   \
            self->~LogCppCall();                                            \
            throw;                                                          \
        }                                                                   \
        va_end(args);                                                       \
        return self;                                                        \
    }

VZV_MS_CONSTRUCTOR(VuzavovEroMsLogCppCallMutableNarrow, char*)
VZV_MS_CONSTRUCTOR(VuzavovEroMsLogCppCallMutableWide, wchar_t*)
VZV_MS_CONSTRUCTOR(VuzavovEroMsLogCppCallNarrow, const char*)
VZV_MS_CONSTRUCTOR(VuzavovEroMsLogCppCallWide, const wchar_t*)
#undef VZV_MS_CONSTRUCTOR
