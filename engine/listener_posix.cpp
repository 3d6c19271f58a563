// The listening side on POSIX sockets.
#include "listener.h"
#include "socket_calls.h"

#include <poll.h>
#include <unistd.h>

namespace peer {

namespace {

int native(Handle handle) { return static_cast<int>(handle); }

}  // namespace

bool readable(Handle socket, int milliseconds) {
  pollfd entry{native(socket), POLLIN, 0};
  return poll(&entry, 1, milliseconds) > 0;
}

void startup() {}

void cleanup() {}

bool openStream(Handle* socket) {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return false;
  int on = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  *socket = static_cast<Handle>(s);
  return true;
}

bool bindAndListen(Handle socket, sockaddr_in* address, int backlog) {
  socklen_t length = sizeof *address;
  return bind(native(socket), reinterpret_cast<sockaddr*>(address), sizeof *address) == 0 &&
         listen(native(socket), backlog) == 0 &&
         getsockname(native(socket), reinterpret_cast<sockaddr*>(address), &length) == 0;
}

bool acceptWaiting(Handle listener, Handle* client) {
  int s = accept(native(listener), nullptr, nullptr);
  if (s < 0) return false;
  *client = static_cast<Handle>(s);
  return true;
}

long receiveOnce(Handle client, char* buffer, std::size_t size) {
  return static_cast<long>(recv(native(client), buffer, size, 0));
}

long sendOnce(Handle client, const char* data, std::size_t size) {
  // A client that hangs up before its answer is sent must cost a failed
  // send, not the peer's life by SIGPIPE.
  return static_cast<long>(send(native(client), data, size, MSG_NOSIGNAL));
}

void closeHandle(Handle handle) { close(native(handle)); }

}  // namespace peer
