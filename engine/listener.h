// The serving side of a TCP connection on IPv4, for the stand-in engine and
// for the scripted peers of the tests. Not part of the tool.
//
// Operations that return bool fill their outputs only on success. Handles
// belong to the caller, who closes each with closeHandle; startup() comes
// before the first call and cleanup() after the last, once per user.
// Implemented in listener_common.cpp on the socket calls of socket_calls.h.
#pragma once

#include <cstdint>
#include <string>

namespace peer {

using Handle = std::uint64_t;

void startup();
void cleanup();

// Listens on host:port; port 0 picks a free port. Stores the listening
// socket and the port it got. About `backlog` connections wait to be
// accepted; the system leaves attempts beyond them unanswered.
bool listenOn(const std::string& host, std::uint16_t port, Handle* listener,
              std::uint16_t* boundPort, int backlog = 16);

// Waits up to `milliseconds` (-1: without limit) for a connection.
bool acceptClient(Handle listener, Handle* client, int milliseconds);

// One receive: the count, 0 when the peer closed, -1 on error or time-out.
long receiveSome(Handle client, char* buffer, std::size_t size, int milliseconds);

bool sendAll(Handle client, const std::string& data);

void closeHandle(Handle handle);

// Reads one HTTP request: its headers and as many body bytes as its
// Content-Length header (in any letter case) announces. Returns what came.
std::string receiveRequest(Handle client, int milliseconds);

}  // namespace peer
