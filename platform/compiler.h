// Hints to the compiler, spelled for each one that builds the library.
#pragma once

// VZV_HOT marks the functions that every written log line runs. GCC and Clang
// place them side by side (.text.hot): a line then touches a few pages of
// code instead of one per source file, and each page touched costs a TLB
// miss after the line's write system call (which flushes the TLB on kernels
// that isolate their page tables).
//
// VZV_COLD marks what lines almost never run (infinities and NaNs, for
// one): kept apart from the hot code, optimised for size.
//
// VZV_ALWAYS_INLINE folds a function into its callers whatever its size:
// for the frames that would otherwise still be on the stack during a line's
// write system call. The kernel leaves the return predictions of those frames
// useless, so each costs a mispredicted return (about 11 ns here) afterwards.
//
// VZV_STACK_BUFFER(bytes) takes a buffer from the current frame at the point
// of use (alloca), so that a function sets up (and on Windows probes) a large
// buffer only on the path that needs it.
//
// VZV_NO_SANITIZE exempts a function that reads whole aligned blocks past the
// end of its data on purpose from the address and thread sanitizers.
#if defined(__GNUC__)
#define VZV_HOT __attribute__((hot))
#define VZV_NOINLINE __attribute__((noinline))
#define VZV_COLD __attribute__((cold, noinline))
#define VZV_ALWAYS_INLINE inline __attribute__((always_inline))
#define VZV_STACK_BUFFER(bytes) __builtin_alloca(bytes)
#define VZV_NO_SANITIZE __attribute__((no_sanitize_address, no_sanitize_thread))
#elif defined(_MSC_VER)
#include <malloc.h>
#define VZV_HOT
#define VZV_NOINLINE __declspec(noinline)
#define VZV_COLD __declspec(noinline)
#define VZV_ALWAYS_INLINE __forceinline
#define VZV_STACK_BUFFER(bytes) _alloca(bytes)
#define VZV_NO_SANITIZE __declspec(no_sanitize_address)
#else
#include <alloca.h>
#define VZV_HOT
#define VZV_NOINLINE
#define VZV_COLD
#define VZV_ALWAYS_INLINE inline
#define VZV_STACK_BUFFER(bytes) alloca(bytes)
#define VZV_NO_SANITIZE
#endif

// VZV_CPU_PAUSE() tells the processor that the thread spins in a wait loop.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VZV_CPU_PAUSE() __builtin_ia32_pause()
#else
#define VZV_CPU_PAUSE() ((void)0)
#endif
