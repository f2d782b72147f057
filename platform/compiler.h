// Hints to the compiler, spelled for each one that builds the library.
#pragma once

// VZV_HOT marks the functions that every written log line runs. GCC and Clang
// place them side by side (.text.hot): a line then touches a few pages of
// code instead of one per source file, and each page touched costs a TLB
// miss after the line's write system call (which flushes the TLB on kernels
// that isolate their page tables).
#if defined(__GNUC__)
#define VZV_HOT __attribute__((hot))
#define VZV_NOINLINE __attribute__((noinline))
#elif defined(_MSC_VER)
#define VZV_HOT
#define VZV_NOINLINE __declspec(noinline)
#else
#define VZV_HOT
#define VZV_NOINLINE
#endif
