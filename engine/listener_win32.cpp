// The listening side on Winsock.
#include "listener.h"
#include "socket_calls.h"

#include "platform/windows_headers.h"

namespace peer {

namespace {

SOCKET native(Handle handle) { return static_cast<SOCKET>(handle); }

}  // namespace

bool readable(Handle socket, int milliseconds) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(native(socket), &set);
  timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
  // The first argument is ignored by Winsock; a null limit waits for good.
  return select(0, &set, nullptr, nullptr, milliseconds < 0 ? nullptr : &limit) > 0;
}

void startup() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
}

void cleanup() { WSACleanup(); }

// No SO_REUSEADDR here: on Windows it would let a second listener take over
// a port that is still in use.
bool openStream(Handle* socket) {
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) return false;
  *socket = static_cast<Handle>(s);
  return true;
}

bool bindAndListen(Handle socket, sockaddr_in* address, int backlog) {
  int length = sizeof *address;
  return bind(native(socket), reinterpret_cast<sockaddr*>(address), sizeof *address) == 0 &&
         listen(native(socket), backlog) == 0 &&
         getsockname(native(socket), reinterpret_cast<sockaddr*>(address), &length) == 0;
}

bool acceptWaiting(Handle listener, Handle* client) {
  SOCKET s = accept(native(listener), nullptr, nullptr);
  if (s == INVALID_SOCKET) return false;
  *client = static_cast<Handle>(s);
  return true;
}

long receiveOnce(Handle client, char* buffer, std::size_t size) {
  return recv(native(client), buffer, static_cast<int>(size), 0);
}

long sendOnce(Handle client, const char* data, std::size_t size) {
  return send(native(client), data, static_cast<int>(size), 0);
}

void closeHandle(Handle handle) { closesocket(native(handle)); }

}  // namespace peer
