// The system's own host lookup, one per platform, safe to run on many
// threads at once; net_common.cpp turns its answer into the address the
// tool connects to.
#pragma once

#include <cstdint>
#include <string>

// Stores the first address of the system's answer for `host`, a name or
// dotted digits, as the answer holds it (network byte order), and returns
// true when that answer is IPv4. False when the host is unknown or the
// lookup failed. It waits as long as the system's resolver lets it: the
// tool sets no bound of its own here.
bool lookUpFirstIPv4(const std::string& host, std::uint32_t* address);
