// A name server that takes every query and answers none, for the built tool
// run as a process (runProcess): `launcher` runs a program with its arguments
// where /etc/resolv.conf names this server alone (time-out 1 s, one attempt)
// and names not in /etc/hosts go to it. Only root can set that up, in a
// private mount namespace on Linux; elsewhere `unavailable` says why not.
#pragma once

#include <string>

struct SilentNameServer {
  // Keeps its files in `folder`, which outlives it.
  explicit SilentNameServer(const std::string& folder);
  ~SilentNameServer();
  SilentNameServer(const SilentNameServer&) = delete;
  SilentNameServer& operator=(const SilentNameServer&) = delete;

  std::string unavailable, launcher;
  int socket = -1;
};
