// Blocking IPv4 TCP sockets for the service control channel.
//
// Every operation that can fail returns false (or a negative count) and
// leaves nothing open that the caller did not already own. The waits on the
// peer are bounded by the tool, so that no command hangs on one that has
// stopped answering: a connection attempt by the connect time-out (10 s),
// each send by the send time-out and each wait for received bytes by the
// receive time-out (30 s each). The name lookup is bounded by the system's
// resolver alone (its time-out and attempts per name server), as the tool
// cannot cut it short; lookups on several threads run at once.
#pragma once

#include <cstdint>
#include <string>

// Wide enough for a Windows SOCKET and a POSIX descriptor alike.
using SocketHandle = std::uint64_t;

// Winsock needs a start and a matching clean-up per user; elsewhere these
// do nothing.
void netStartup();
void netCleanup();

// The host's first IPv4 address, in network byte order, whether the host is
// given as a name or as dotted digits: the first address of the system's
// answer, as gethostbyname gives it.
bool resolveFirstIPv4(const std::string& host, std::uint32_t* address);

// What a wait that ran out gives, for connections, sends and receives alike.
constexpr int kTimedOut = -2;

// Creates a stream socket and connects it to address (network byte order)
// and port (host byte order). On success stores the socket and returns 0;
// otherwise closes what it created and returns kTimedOut when the peer did
// not answer within the connect time-out, -1 for any other failure.
int connectStream(std::uint32_t address, std::uint16_t port, SocketHandle* socket);

// One send call: the count sent (all of `size` unless the send time-out ran
// out on the way), kTimedOut when the peer took no byte within it, -1 on an
// error.
long sendBytes(SocketHandle socket, const char* data, std::size_t size);

// One receive: the count received, 0 when the peer closed, -1 on an error,
// kTimedOut when no byte came within the receive time-out.
long receiveBytes(SocketHandle socket, char* buffer, std::size_t size);

void closeSocket(SocketHandle socket);

// A second handle on the same connection, to be closed on its own.
bool duplicateSocket(SocketHandle socket, SocketHandle* copy);

// The time-outs in milliseconds, for the trace.
int connectTimeoutMilliseconds();
int sendTimeoutMilliseconds();
int receiveTimeoutMilliseconds();
