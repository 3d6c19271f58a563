// Short network time-outs for the tests, which cannot wait out the tool's own
// at every peer that stops answering. While an object lives, every later
// connection attempt, send and receive waits as long as it says; its end
// puts the tool's time-outs back.
#pragma once

#include "platform/net.h"

// Defined beside the tool's time-outs, in src/platform/net_common.cpp; no
// header of the tool declares it.
void setNetworkTimeouts(int connectMilliseconds, int sendMilliseconds, int receiveMilliseconds);

class ShortNetworkTimeouts {
 public:
  ShortNetworkTimeouts(int connectMilliseconds, int sendMilliseconds, int receiveMilliseconds) {
    setNetworkTimeouts(connectMilliseconds, sendMilliseconds, receiveMilliseconds);
  }
  ~ShortNetworkTimeouts() { setNetworkTimeouts(connect_, send_, receive_); }
  ShortNetworkTimeouts(const ShortNetworkTimeouts&) = delete;
  ShortNetworkTimeouts& operator=(const ShortNetworkTimeouts&) = delete;

 private:
  const int connect_ = connectTimeoutMilliseconds(), send_ = sendTimeoutMilliseconds(),
            receive_ = receiveTimeoutMilliseconds();
};
