// The constructors under their decorated names, declared as what they are in
// the Microsoft ABI: functions that return `this`. Code from Microsoft's
// compiler may use that value. This file sees no declaration of the class, so
// the compiler cannot take the value for granted as it does for a constructor.
extern "C" {
#define VZV_CONSTRUCTOR(Name, Format, Decorated)                              \
    __declspec(dllimport) void* Name(void* self, Format format, ...) __asm__( \
        "??0LogCppCall@VuzavovEro@Service@Brivant@@QEAA@" Decorated "ZZ");
VZV_CONSTRUCTOR(ConstructMutableNarrow, char*, "PEAD")
VZV_CONSTRUCTOR(ConstructMutableWide, wchar_t*, "PEA_W")
VZV_CONSTRUCTOR(ConstructNarrow, const char*, "PEBD")
VZV_CONSTRUCTOR(ConstructWide, const wchar_t*, "PEB_W")
#undef VZV_CONSTRUCTOR
}

void* ConstructReturning(int which, void* memory) {
    static char narrow[] = "returned mutable narrow %d";
    static wchar_t wide[] = L"returned mutable wide %d";
    switch (which) {
        case 0: return ConstructMutableNarrow(memory, narrow, 61);
        case 1: return ConstructMutableWide(memory, wide, 62);
        case 2: return ConstructNarrow(memory, "returned narrow %d", 63);
        default: return ConstructWide(memory, L"returned wide %d", 64);
    }
}
