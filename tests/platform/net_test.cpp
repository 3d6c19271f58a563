// The network layer's bounded waits, against a peer that answers nothing:
// each ends within its time-out instead of the system's own (a connection
// attempt to a host whose queue is full waits minutes), and the bound does
// not cut short a send that the peer takes.
#include "platform/net.h"
#include "listener.h"
#include "support/network_timeouts.h"
#include "support/scripted_peer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLimitMilliseconds = 300;
// More than the system buffers between two sockets, so that a peer that
// reads nothing leaves a send waiting.
const std::vector<char> kLarge(16 << 20, 'x');

// Connects to 127.0.0.1:port as the tool does; the socket goes with the test.
int connectTo(int port, SocketHandle* socket) {
  std::uint32_t loopback = 0;
  resolveFirstIPv4("127.0.0.1", &loopback);
  return connectStream(loopback, static_cast<std::uint16_t>(port), socket);
}

// A listener that accepts nothing: a connection attempt beyond its backlog
// goes unanswered, and the bytes of one it queued go no further than the
// system's buffers. It closes after a few seconds whatever the test does, so
// that a wait that lost its bound fails the test (the queued connections are
// reset) instead of hanging it.
class SilentPeer {
 public:
  explicit SilentPeer(int backlog) {
    peer::startup();
    peer::listenOn("127.0.0.1", 0, &listener_, &port_, backlog);
    closer_ = std::thread([this] {
      for (auto end = Clock::now() + std::chrono::seconds(8); !done_ && Clock::now() < end;)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      peer::closeHandle(listener_);
    });
  }
  ~SilentPeer() {
    done_ = true;
    closer_.join();
    peer::cleanup();
  }
  int port() const { return port_; }

 private:
  peer::Handle listener_ = 0;
  std::uint16_t port_ = 0;
  std::atomic<bool> done_{false};
  std::thread closer_;
};

// Once its queue holds what the backlog allows, the system drops further
// attempts without an answer.
TEST(Network, AConnectionAttemptThatIsNeverAnsweredTimesOut) {
  ShortNetworkTimeouts timeouts(kLimitMilliseconds, kLimitMilliseconds, kLimitMilliseconds);
  SilentPeer peer(0);
  SocketHandle queued[4];
  int count = 0, result = 0;
  Clock::time_point start;
  do {
    start = Clock::now();
    result = connectTo(peer.port(), &queued[count]);
  } while (result == 0 && ++count < 4);
  EXPECT_EQ(result, kTimedOut);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  while (count > 0) closeSocket(queued[--count]);
}

// A send that the peer does not take ends in time (the buffers may take a
// little more after each, then nothing); one that it takes goes whole, the
// bound being on the whole call.
TEST(Network, ASendEndsInTimeUnlessThePeerTakesItAll) {
  ShortNetworkTimeouts timeouts(kLimitMilliseconds, kLimitMilliseconds, kLimitMilliseconds);
  SocketHandle socket = 0;
  {
    SilentPeer peer(1);
    ASSERT_EQ(connectTo(peer.port(), &socket), 0);
    long sent = 0;
    for (int i = 0; i < 10 && (sent = sendBytes(socket, kLarge.data(), kLarge.size())) > 0; ++i)
      EXPECT_LT(sent, static_cast<long>(kLarge.size()));
    EXPECT_EQ(sent, kTimedOut);
    closeSocket(socket);
  }
  ScriptedPeer peer({ScriptedPeer::answer("")});
  ShortNetworkTimeouts longSend(kLimitMilliseconds, 20 * 1000, kLimitMilliseconds);
  ASSERT_EQ(connectTo(peer.port(), &socket), 0);
  EXPECT_EQ(sendBytes(socket, kLarge.data(), kLarge.size()), static_cast<long>(kLarge.size()));
  closeSocket(socket);
}

}  // namespace
