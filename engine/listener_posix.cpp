// The listening side on POSIX sockets.
#include "listener.h"
#include "socket_calls.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

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

bool listenOn(const std::string& host, std::uint16_t port, Handle* listener,
              std::uint16_t* boundPort) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  sockaddr_in address{};
  std::memcpy(&address, found->ai_addr, sizeof address);
  freeaddrinfo(found);
  address.sin_port = htons(port);

  int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return false;
  // A peer started again on the port of one just gone must not wait out
  // the old connections' TIME_WAIT.
  int on = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  socklen_t length = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 16) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(s);
    return false;
  }
  *listener = static_cast<Handle>(s);
  *boundPort = ntohs(address.sin_port);
  return true;
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
