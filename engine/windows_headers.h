// The one place in the engine folder that pulls in the Windows headers.
// WIN32_LEAN_AND_MEAN keeps out winsock.h, which would clash with
// winsock2.h; NOMINMAX keeps the min and max macros from breaking std::min
// and std::max. Included only by the _win32 files.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
