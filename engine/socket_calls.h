// The socket calls in which POSIX and Winsock differ, each as thin as the
// system allows; listener_common.cpp builds the waits and loops of
// listener.h on them. Implemented in listener_posix.cpp / _win32.cpp.
#pragma once

#include "listener.h"
#include "platform/socket_headers.h"

#include <cstddef>

namespace peer {

// A new stream socket, ready to be bound to a port that a listener just
// gone may have left in TIME_WAIT.
bool openStream(Handle* socket);

// bind, then listen; on success `address` holds the address it got.
bool bindAndListen(Handle socket, sockaddr_in* address, int backlog);

// Whether `socket` has a byte or a connection waiting within `milliseconds`
// (-1: without limit).
bool readable(Handle socket, int milliseconds);

// One accept: stores the connection that waits.
bool acceptWaiting(Handle listener, Handle* client);

// One recv and one send: the count, 0 when the peer closed (recv), or a
// negative count on an error.
long receiveOnce(Handle client, char* buffer, std::size_t size);
long sendOnce(Handle client, const char* data, std::size_t size);

}  // namespace peer
