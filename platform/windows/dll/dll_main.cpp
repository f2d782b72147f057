// The DLL's load and unload entry point. It has no work of its own: the
// runtime initialises the library's statics before it and destroys them
// after it.
#include "platform/windows/win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
