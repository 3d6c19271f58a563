#include "platform/host_lookup.h"
#include "platform/net.h"

#include <cstring>

namespace {

// No command may wait on the network forever.
struct {
  int connect = 10 * 1000;
  int send = 30 * 1000;
  int receive = 30 * 1000;
} timeouts;

}  // namespace

// Declared for the tests alone (tests/support/network_timeouts.h), which
// cannot wait the tool's own time-outs out.
void setNetworkTimeouts(int connectMilliseconds, int sendMilliseconds, int receiveMilliseconds) {
  timeouts.connect = connectMilliseconds;
  timeouts.send = sendMilliseconds;
  timeouts.receive = receiveMilliseconds;
}

int connectTimeoutMilliseconds() { return timeouts.connect; }
int sendTimeoutMilliseconds() { return timeouts.send; }
int receiveTimeoutMilliseconds() { return timeouts.receive; }

bool resolveFirstIPv4(const std::string& host, std::uint32_t* address) {
  HostAnswer answer;
  const hostent* entry = lookUpHost(host, &answer);
  if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list == nullptr ||
      entry->h_addr_list[0] == nullptr)
    return false;
  sockaddr_in first{};
  first.sin_family = AF_INET;
  std::memcpy(&first.sin_addr, entry->h_addr_list[0], sizeof first.sin_addr);
  char text[256];
  if (getnameinfo(reinterpret_cast<sockaddr*>(&first), sizeof first, text, sizeof text, nullptr, 0,
                  NI_NUMERICHOST) != 0)
    return false;
  *address = inet_addr(text);
  return true;
}
