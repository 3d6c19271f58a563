#include "listener.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
using NativeSocket = SOCKET;
constexpr int kNoSignal = 0;
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
using NativeSocket = int;
constexpr int kNoSignal = MSG_NOSIGNAL;
#endif

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace peer {

namespace {

NativeSocket native(Handle handle) { return static_cast<NativeSocket>(handle); }

bool readable(NativeSocket socket, int milliseconds) {
#ifdef _WIN32
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, milliseconds < 0 ? nullptr : &limit) > 0;
#else
  pollfd entry{socket, POLLIN, 0};
  return poll(&entry, 1, milliseconds) > 0;
#endif
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

void startup() {
#ifdef _WIN32
  WSADATA data;
  WSAStartup(0x0202, &data);
#endif
}

void cleanup() {
#ifdef _WIN32
  WSACleanup();
#endif
}

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

  NativeSocket s = socket(AF_INET, SOCK_STREAM, 0);
#ifdef _WIN32
  if (s == INVALID_SOCKET) return false;
#else
  if (s < 0) return false;
  int on = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
#endif
  socklen_t length = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 16) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closeHandle(static_cast<Handle>(s));
    return false;
  }
  *listener = static_cast<Handle>(s);
  *boundPort = ntohs(address.sin_port);
  return true;
}

bool acceptClient(Handle listener, Handle* client, int milliseconds) {
  if (!readable(native(listener), milliseconds)) return false;
  NativeSocket s = accept(native(listener), nullptr, nullptr);
#ifdef _WIN32
  if (s == INVALID_SOCKET) return false;
#else
  if (s < 0) return false;
#endif
  *client = static_cast<Handle>(s);
  return true;
}

long receiveSome(Handle client, char* buffer, std::size_t size, int milliseconds) {
  if (!readable(native(client), milliseconds)) return -1;
  return static_cast<long>(recv(native(client), buffer, static_cast<int>(size), 0));
}

bool sendAll(Handle client, const std::string& data) {
  size_t offset = 0;
  while (offset < data.size()) {
    // A client that hangs up before its answer is sent must cost a failed
    // send, not the peer's life.
    auto sent = send(native(client), data.data() + offset, static_cast<int>(data.size() - offset),
                     kNoSignal);
    if (sent <= 0) return false;
    offset += static_cast<size_t>(sent);
  }
  return true;
}

void closeHandle(Handle handle) {
#ifdef _WIN32
  closesocket(native(handle));
#else
  close(native(handle));
#endif
}

std::string receiveRequest(Handle client, int milliseconds) {
  std::string request;
  char buffer[4096];
  for (;;) {
    size_t headerEnd = request.find("\r\n\r\n");
    if (headerEnd != std::string::npos) {
      std::string headers = lowered(request.substr(0, headerEnd));
      size_t field = headers.find("\ncontent-length:");
      size_t body = field == std::string::npos
                        ? 0
                        : std::strtoul(headers.c_str() + field + 16, nullptr, 10);
      if (request.size() >= headerEnd + 4 + std::min<size_t>(body, 1 << 20)) return request;
    }
    long count = receiveSome(client, buffer, sizeof buffer, milliseconds);
    if (count <= 0) return request;
    request.append(buffer, static_cast<size_t>(count));
  }
}

}  // namespace peer
