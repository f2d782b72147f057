// A client built as Microsoft's compiler builds it (MS C++ ABI, decorated
// names, constructors returning `this`) against the public header, linked
// with no C runtime. It calls every exported member, then reads its log back.
// The exit code is the number of failed checks, each named on stdout.
#include "VuzavovEro.h"

using Brivant::Service::VuzavovEro;

// The object is allocated here and built by the library: both sides must
// agree on its size.
static_assert(sizeof(VuzavovEro::LogCppCall) == 80, "LogCppCall as Microsoft's STL lays it out");

// kernel32, declared by hand: there are no Windows SDK headers here.
#define VZV_KERNEL32 extern "C" __declspec(dllimport)
using DWORD = unsigned long;
VZV_KERNEL32 void* __stdcall GetStdHandle(DWORD which);
VZV_KERNEL32 int __stdcall WriteFile(void* file, const void* data, DWORD size, DWORD* done, void*);
VZV_KERNEL32 void* __stdcall CreateFileW(const wchar_t*, DWORD, DWORD, void*, DWORD, DWORD, void*);
VZV_KERNEL32 int __stdcall ReadFile(void* file, void* data, DWORD size, DWORD* done, void*);
VZV_KERNEL32 __declspec(noreturn) void __stdcall ExitProcess(unsigned code);

// The constructors under their decorated names, declared as what they are in
// the Microsoft ABI: functions that return `this`. Code from Microsoft's
// compiler may use that value; called as plain functions, the compiler cannot
// take it for granted as it does for a constructor.
#define VZV_CONSTRUCTOR(Name, Format, Decorated)                                         \
    extern "C" __declspec(dllimport) void* Name(void* self, Format format, ...) __asm__( \
        "??0LogCppCall@VuzavovEro@Service@Brivant@@QEAA@" Decorated "ZZ");
VZV_CONSTRUCTOR(ConstructMutableNarrow, char*, "PEAD")
VZV_CONSTRUCTOR(ConstructMutableWide, wchar_t*, "PEA_W")
VZV_CONSTRUCTOR(ConstructNarrow, const char*, "PEBD")
VZV_CONSTRUCTOR(ConstructWide, const wchar_t*, "PEB_W")
#undef VZV_CONSTRUCTOR

namespace {

constexpr DWORD kStdOutput = static_cast<DWORD>(-11);
constexpr DWORD kGenericRead = 0x80000000UL;
constexpr DWORD kShareReadWrite = 3;
constexpr DWORD kOpenExisting = 3;

unsigned Length(const char* text) {
    unsigned n = 0;
    while (text[n] != 0) ++n;
    return n;
}

bool Equal(const wchar_t* a, const wchar_t* b) {
    while (*a != 0 && *a == *b) ++a, ++b;
    return *a == *b;
}

unsigned g_failed;

// Names on stdout what failed.
void Check(bool ok, const char* what) {
    if (ok) return;
    static const char failed[] = ": failed or missing from the log\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(kStdOutput), what, Length(what), &written, nullptr);
    WriteFile(GetStdHandle(kStdOutput), failed, sizeof failed - 1, &written, nullptr);
    ++g_failed;
}

// The log's UTF-16LE text, static as all large buffers here: a big stack
// frame would need the runtime's stack probe. The process ends before the
// handle would need closing.
wchar_t g_log[64 * 1024];
DWORD g_logBytes;

// Whether the log holds `text` (ASCII).
bool LogHas(const char* text) {
    const unsigned n = Length(text);
    for (unsigned at = 0; at + n <= g_logBytes / sizeof(wchar_t); ++at) {
        unsigned i = 0;
        while (i < n && g_log[at + i] == static_cast<wchar_t>(text[i])) ++i;
        if (i == n) return true;
    }
    return false;
}

void Run() {
    // Paths relative to the working directory, kept as given.
    const wchar_t* const path = L"run\\msabi\\client.log";

    // The plain exports first: they do not start the library.
    Check(!IsExpertMode(), "IsExpertMode");
    Check(LoggerLevel == 0, "LoggerLevel");
    Check(SetLogLevel(VuzavovEro::LOGLEVEL_VERBOSE), "SetLogLevel (plain)");
    Check(SetLogFilePath(L"run\\first.log"), "SetLogFilePath");
    Check(!SetLogFilePath(nullptr), "SetLogFilePath(null)");

    VuzavovEro::SetLogPath(path);
    Check(Equal(VuzavovEro::GetLogPath(), path), "GetLogPath after SetLogPath");
    VuzavovEro::SetLogLevel(VuzavovEro::LOGLEVEL_VERBOSE);
    Check(VuzavovEro::GetLogLevel() == VuzavovEro::LOGLEVEL_VERBOSE, "GetLogLevel");

    // Several variadic arguments, so that a shifted argument list shows.
    VuzavovEro::Error("error %d %s %c", 11, "narrow", 'n');
    VuzavovEro::Error(L"error %d %s %c", 12, L"wide", L'w');
    VuzavovEro::Information("information %d %S", 21, L"narrow");
    VuzavovEro::Information(L"information %d %S", 22, "wide");
    VuzavovEro::Debug("debug %d %I64d", 31, 3000000000LL);
    VuzavovEro::Debug(L"debug %d %I64d", 32, 3000000000LL);
    VuzavovEro::Verbose("verbose %d %s", 41, "narrow");
    VuzavovEro::Verbose(L"verbose %d %s", 42, L"wide");

    // Each constructor builds the object, as its end line shows, and returns
    // `this`.
    static char narrow[] = "returned mutable narrow %d";
    static wchar_t wide[] = L"returned mutable wide %d";
    using Call = VuzavovEro::LogCppCall;
    alignas(Call) unsigned char memory[sizeof(Call)];
    const auto returnsThis = [&](void* returned) {
        Check(returned == memory, "a constructor returns this");
        static_cast<Call*>(static_cast<void*>(memory))->~Call();
    };
    returnsThis(ConstructMutableNarrow(memory, narrow, 61));
    returnsThis(ConstructMutableWide(memory, wide, 62));
    returnsThis(ConstructNarrow(memory, "returned narrow %d", 63));
    returnsThis(ConstructWide(memory, L"returned wide %d", 64));

    VuzavovEro a, b;
    Check(&(a = b) == &a, "copy assignment");
    Check(&(a = static_cast<VuzavovEro&&>(b)) == &a, "move assignment");

    void* const log =
        CreateFileW(path, kGenericRead, kShareReadWrite, nullptr, kOpenExisting, 0, nullptr);
    Check(ReadFile(log, g_log, sizeof g_log, &g_logBytes, nullptr) != 0, "read the log");
    static const char* const expected[] = {
        "|1| error 11 narrow n",       "|1| error 12 wide w",
        "|2| information 21 narrow",   "|2| information 22 wide",
        "|3| debug 31 3000000000",     "|3| debug 32 3000000000",
        "|4| verbose 41 narrow",       "|4| verbose 42 wide",
        "|2| <-- returned wide 64 -- ended (",         "|2| <-- returned narrow 63 -- ended (",
        "|2| <-- returned mutable wide 62 -- ended (", "|2| <-- returned mutable narrow 61 -- ended (",
    };
    for (const char* line : expected) Check(LogHas(line), line);
}

}  // namespace

extern "C" void ClientEntry() {
    Run();
    ExitProcess(g_failed);
}
