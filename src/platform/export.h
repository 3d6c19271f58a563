// Marks what the executable exports to other modules.
#pragma once

#ifdef _WIN32
#define ZERINCTL_EXPORT __declspec(dllexport)
#else
#define ZERINCTL_EXPORT __attribute__((visibility("default")))
#endif
