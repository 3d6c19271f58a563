// The system headers of the socket calls that POSIX and Winsock share
// (getaddrinfo, sockaddr_in, htons), for code common to both.
#pragma once

#ifdef _WIN32
#include "platform/windows_headers.h"
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif
