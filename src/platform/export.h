// Marks what the executable exports to other modules. The tool's own build
// defines ZERINCTL_BUILDING; a module that uses the exported class imports it.
#pragma once

#if defined(_WIN32) && defined(ZERINCTL_BUILDING)
#define ZERINCTL_EXPORT __declspec(dllexport)
#elif defined(_WIN32)
#define ZERINCTL_EXPORT __declspec(dllimport)
#else
#define ZERINCTL_EXPORT __attribute__((visibility("default")))
#endif
