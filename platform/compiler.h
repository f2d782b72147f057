// Compiler extensions, spelled for each compiler that builds the library: the
// only place where the sources use any.
#pragma once

// VZV_CPU_PAUSE() tells the processor that the thread spins in a wait loop.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VZV_CPU_PAUSE() __builtin_ia32_pause()
#elif defined(_MSC_VER) && defined(_M_X64)
#include <intrin.h>
#define VZV_CPU_PAUSE() _mm_pause()
#else
#define VZV_CPU_PAUSE() ((void)0)
#endif
