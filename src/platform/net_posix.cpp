#include "platform/host_lookup.h"
#include "platform/net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int fd(SocketHandle socket) { return static_cast<int>(socket); }

// Waits until the socket is ready for `events`; false on time-out or error.
bool waitFor(int socket, short events, int milliseconds) {
  pollfd entry{socket, events, 0};
  for (;;) {
    int ready = poll(&entry, 1, milliseconds);
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0;
  }
}

}  // namespace

void netStartup() {}
void netCleanup() {}

// gethostbyname's own lookup, with its answer in storage of the caller's
// instead of storage that every thread shares, so that the checks of a
// listing wait for their names at once. getaddrinfo would not do: it sorts
// the addresses of a name by the routes to them, so the first one could
// change.
const hostent* lookUpHost(const std::string& host, HostAnswer* answer) {
  hostent* found = nullptr;
  int lookupError = 0;
  int result;
  answer->storage.resize(1024);
  while ((result = gethostbyname_r(host.c_str(), &answer->entry, answer->storage.data(),
                                   answer->storage.size(), &found, &lookupError)) == ERANGE)
    answer->storage.resize(answer->storage.size() * 2);
  return result == 0 ? found : nullptr;
}

int connectStream(std::uint32_t address, std::uint16_t port, SocketHandle* socket) {
  int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return -1;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address;
  target.sin_port = htons(port);
  // Connect without blocking so that an unanswered attempt gives up in time.
  int flags = fcntl(s, F_GETFL);
  bool ok = flags >= 0 && fcntl(s, F_SETFL, flags | O_NONBLOCK) == 0;
  bool timedOut = false;
  if (ok && ::connect(s, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
    ok = errno == EINPROGRESS && waitFor(s, POLLOUT, connectTimeoutMilliseconds());
    timedOut = !ok && errno == EINPROGRESS;
    int error = 0;
    socklen_t length = sizeof error;
    ok = ok && getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
  }
  ok = ok && fcntl(s, F_SETFL, flags) == 0;
  // A send blocks while the peer takes nothing; the system ends it in time.
  const int sendLimit = sendTimeoutMilliseconds();
  timeval limit{sendLimit / 1000, (sendLimit % 1000) * 1000};
  ok = ok && setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) == 0;
  if (!ok) {
    close(s);
    return timedOut ? kTimedOut : -1;
  }
  *socket = static_cast<SocketHandle>(s);
  return 0;
}

long sendBytes(SocketHandle socket, const char* data, std::size_t size) {
  // MSG_NOSIGNAL: a peer that has gone must give an error, not kill the tool.
  ssize_t sent;
  do {
    sent = send(fd(socket), data, size, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? kTimedOut : -1;
  return static_cast<long>(sent);
}

long receiveBytes(SocketHandle socket, char* buffer, std::size_t size) {
  if (!waitFor(fd(socket), POLLIN, receiveTimeoutMilliseconds())) return kTimedOut;
  ssize_t received;
  do {
    received = recv(fd(socket), buffer, size, 0);
  } while (received < 0 && errno == EINTR);
  return received < 0 ? -1 : static_cast<long>(received);
}

void closeSocket(SocketHandle socket) { close(fd(socket)); }

bool duplicateSocket(SocketHandle socket, SocketHandle* copy) {
  int s = fcntl(fd(socket), F_DUPFD_CLOEXEC, 0);
  if (s < 0) return false;
  *copy = static_cast<SocketHandle>(s);
  return true;
}
