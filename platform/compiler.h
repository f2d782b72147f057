// Hints to the compiler, spelled for each one that builds the library.
// Only the printf walker and the text/text_scan.h and text/text_copy.h it
// includes use them.
#pragma once

// VZV_HOT and VZV_COLD: code a log line runs, and code it almost never runs.
// VZV_NO_SANITIZE exempts a function from the address and thread sanitizers.
#if defined(__GNUC__)
#define VZV_HOT __attribute__((hot))
#define VZV_NOINLINE __attribute__((noinline))
#define VZV_COLD __attribute__((cold, noinline))
#define VZV_NO_SANITIZE __attribute__((no_sanitize_address, no_sanitize_thread))
#elif defined(_MSC_VER)
#define VZV_HOT
#define VZV_NOINLINE __declspec(noinline)
#define VZV_COLD __declspec(noinline)
#define VZV_NO_SANITIZE __declspec(no_sanitize_address)
#else
#define VZV_HOT
#define VZV_NOINLINE
#define VZV_COLD
#define VZV_NO_SANITIZE
#endif
