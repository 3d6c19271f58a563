// A name server that takes every query and answers none, for the built tool
// run as a process: `timedRun` runs a program as runProcess does, where this
// server is the only one (time-out 1 s, one attempt) and every name that
// /etc/hosts lacks goes to it (see silent_resolver.sh). Only root can set
// that up, in a private mount namespace on Linux; elsewhere `unavailable`
// says why not.
#pragma once

#include "support/tool_run.h"

class SilentNameServer {
 public:
  // Keeps its files in `folder`, which outlives it.
  explicit SilentNameServer(const std::string& folder);
  ~SilentNameServer();
  SilentNameServer(const SilentNameServer&) = delete;
  SilentNameServer& operator=(const SilentNameServer&) = delete;
  // Runs the program and arguments in `words`, keeps what it printed and
  // returns the seconds it took.
  double timedRun(std::vector<std::string> words, std::string* printed) const;
  std::string unavailable;

 private:
  std::string folder_;
  int socket_ = -1;
};
