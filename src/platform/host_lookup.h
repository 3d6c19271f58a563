// The system's own host lookup, one per platform, safe to run on many
// threads at once; net_common.cpp takes the address the tool connects to
// from its answer.
#pragma once

#include "platform/socket_headers.h"

#include <string>
#include <vector>

// Room for an answer where the platform leaves it to the caller.
struct HostAnswer {
  hostent entry{};
  std::vector<char> storage;
};

// The system's answer for `host`, a name or dotted digits, as gethostbyname
// gives it, or nullptr when the host is unknown or the lookup failed. It
// lies in `answer` or in storage of the calling thread, and stays there
// until that thread's next lookup. It waits as long as the system's resolver
// lets it: the tool sets no bound of its own here.
const hostent* lookUpHost(const std::string& host, HostAnswer* answer);
