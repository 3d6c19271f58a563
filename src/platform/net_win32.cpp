#include "platform/host_lookup.h"
#include "platform/net.h"

#include "platform/windows_headers.h"

#include <cstring>

namespace {

SOCKET native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

// Waits until the socket is readable (or writable); false on time-out or
// error. A failed non-blocking connect shows up in the exception set.
bool waitFor(SOCKET socket, bool write, int milliseconds, bool* timedOut = nullptr) {
  fd_set ready;
  fd_set failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(socket, &ready);
  FD_SET(socket, &failed);
  timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
  int count = select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &limit);
  if (timedOut != nullptr) *timedOut = count == 0;
  return count > 0 && FD_ISSET(socket, &ready) && !FD_ISSET(socket, &failed);
}

}  // namespace

void netStartup() {
  WSADATA data;
  WSAStartup(0x0202, &data);
}

void netCleanup() { WSACleanup(); }

// Winsock keeps the answer in storage of the calling thread, so the checks
// of a listing wait for their names at once.
const hostent* lookUpHost(const std::string& host, HostAnswer*) {
  return gethostbyname(host.c_str());
}

int connectStream(std::uint32_t address, std::uint16_t port, SocketHandle* socket) {
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) return -1;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = address;
  target.sin_port = htons(port);
  // Connect without blocking so that an unanswered attempt gives up in time.
  u_long nonBlocking = 1;
  bool ok = ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
  bool timedOut = false;
  if (ok && ::connect(s, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
    bool pending = WSAGetLastError() == WSAEWOULDBLOCK;
    ok = pending && waitFor(s, true, connectTimeoutMilliseconds(), &timedOut);
  }
  u_long blocking = 0;
  ok = ok && ioctlsocket(s, FIONBIO, &blocking) == 0;
  // A send blocks while the peer takes nothing; the system ends it in time.
  DWORD sendLimit = static_cast<DWORD>(sendTimeoutMilliseconds());
  ok = ok && setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendLimit),
                        sizeof sendLimit) == 0;
  if (!ok) {
    closesocket(s);
    return timedOut ? kTimedOut : -1;
  }
  *socket = static_cast<SocketHandle>(s);
  return 0;
}

long sendBytes(SocketHandle socket, const char* data, std::size_t size) {
  int sent = send(native(socket), data, static_cast<int>(size), 0);
  if (sent == SOCKET_ERROR) return WSAGetLastError() == WSAETIMEDOUT ? kTimedOut : -1;
  return sent;
}

long receiveBytes(SocketHandle socket, char* buffer, std::size_t size) {
  if (!waitFor(native(socket), false, receiveTimeoutMilliseconds())) return kTimedOut;
  int received = recv(native(socket), buffer, static_cast<int>(size), 0);
  return received == SOCKET_ERROR ? -1 : received;
}

void closeSocket(SocketHandle socket) { closesocket(native(socket)); }

bool duplicateSocket(SocketHandle socket, SocketHandle* copy) {
  WSAPROTOCOL_INFOW info;
  if (WSADuplicateSocketW(native(socket), GetCurrentProcessId(), &info) != 0) return false;
  SOCKET s = WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, &info, 0, 0);
  if (s == INVALID_SOCKET) return false;
  *copy = static_cast<SocketHandle>(s);
  return true;
}
