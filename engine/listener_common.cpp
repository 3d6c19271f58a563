// The part of the listening side that is the same on every platform: the
// waits, the send loop and HTTP. The socket calls live in listener_posix.cpp
// / listener_win32.cpp.
#include "listener.h"
#include "socket_calls.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace peer {

namespace {

// A body larger than this is taken as far as it came: the peers only ever
// see small requests, and a bogus Content-Length must not make them wait.
constexpr std::size_t kBodyLimit = 1 << 20;

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool listenOn(const std::string& host, std::uint16_t port, Handle* listener,
              std::uint16_t* boundPort, int backlog) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  sockaddr_in address{};
  std::memcpy(&address, found->ai_addr, sizeof address);
  freeaddrinfo(found);
  address.sin_port = htons(port);
  Handle s = 0;
  if (!openStream(&s)) return false;
  if (!bindAndListen(s, &address, backlog)) {
    closeHandle(s);
    return false;
  }
  *listener = s;
  *boundPort = ntohs(address.sin_port);
  return true;
}

bool acceptClient(Handle listener, Handle* client, int milliseconds) {
  return readable(listener, milliseconds) && acceptWaiting(listener, client);
}

long receiveSome(Handle client, char* buffer, std::size_t size, int milliseconds) {
  return readable(client, milliseconds) ? receiveOnce(client, buffer, size) : -1;
}

bool sendAll(Handle client, const std::string& data) {
  for (std::size_t offset = 0; offset < data.size();) {
    long sent = sendOnce(client, data.data() + offset, data.size() - offset);
    if (sent <= 0) return false;
    offset += static_cast<std::size_t>(sent);
  }
  return true;
}

std::string receiveRequest(Handle client, int milliseconds) {
  std::string request;
  char buffer[1 << 16];
  for (;;) {
    std::size_t headerEnd = request.find("\r\n\r\n");
    if (headerEnd != std::string::npos) {
      std::string headers = lowered(request.substr(0, headerEnd));
      std::size_t field = headers.find("\ncontent-length:");
      std::size_t body = field == std::string::npos
                             ? 0
                             : std::strtoul(headers.c_str() + field + 16, nullptr, 10);
      if (request.size() >= headerEnd + 4 + std::min(body, kBodyLimit)) return request;
    }
    long count = receiveSome(client, buffer, sizeof buffer, milliseconds);
    if (count <= 0) return request;
    request.append(buffer, static_cast<std::size_t>(count));
  }
}

}  // namespace peer
