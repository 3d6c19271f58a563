#include "control/http_wrapper.h"
#include "support/network_timeouts.h"
#include "support/scripted_peer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

using Step = ScriptedPeer::Step;
using Requests = std::vector<std::string>;

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-length: 2\r\n\r\nok";
const std::string kNotFound = "HTTP/1.1 404 Not Found\r\nContent-length: 2\r\n\r\nok";

// Receives wait less than the peer holds a connection it keeps answering, so
// that a client waiting for more than it should fails instead of stalling.
class Control : public testing::Test {
  ShortNetworkTimeouts timeouts_{2000, 2000, 500};
};

// What a post to a peer that follows `step` comes to, in one line.
std::string outcome(int result, int connections, const std::string& response) {
  return std::to_string(result) + " after " + std::to_string(connections) +
         " connection(s): " + response;
}
std::string exchange(const Step& step) {
  ScriptedPeer peer({step});
  std::string response = "stale";
  int result = HttpWrapper().httpPost("127.0.0.1", peer.port(), "", "x", response);
  return outcome(result, peer.connections(), response);
}

// A failed answer is tried once more, on a new connection. Each answer also
// comes cut in two at each byte of its status line and headers, the second
// piece a moment later: a first piece that ends before the "Content-length:"
// line does is complete by its text, so it is judged alone and fails twice;
// once that line is whole the rest is waited for, and the answer fares as
// when it comes whole. An answer that ends before its length line does needs
// no row of its own: a cut makes one.
TEST_F(Control, AnswersAreJudgedByStatusLineAndLength) {
  const struct {
    Step step;
    int result;
    const char* response;  // nullptr: the whole answer
  } cases[] = {
      {ScriptedPeer::keepAnswering(kOk), 0, "\n\r\nok"},
      // The body is taken to start two bytes after the length line's
      // newline, so with CR LF its last byte is never waited for.
      {ScriptedPeer::trickle({"HTTP/1.1 200 OK\r\nContent-length: 2\r\n", "\r", "\n", "o", "k"}), 0,
       "\n\r\no"},
      {ScriptedPeer::trickle({"HTTP/1.1 200 OK\r\nContent-length: 0\r\n", "\r\n"}), 0, "\n"},
      // A length past any int is met only by the peer closing.
      {ScriptedPeer::answer("HTTP/1.1 200 OK\r\nContent-length: 99999999999\r\n\r\nok"), 0,
       "\n\r\nok"},
      {ScriptedPeer::answer("HTTP/1.0 200 OK\r\nContent-length: 2\r\n\r\nok"), 1, nullptr},
      {ScriptedPeer::answer(kNotFound), 1, nullptr},
      {ScriptedPeer::answer("HTTP/1.1 200 OK\r\n\r\nok"), 1, nullptr},
      {ScriptedPeer::answer("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"), 1, nullptr},
      {ScriptedPeer::closeAtOnce(), 1, nullptr},
      {ScriptedPeer::stall(), 1, nullptr},
      // A wait that runs out fails, whatever had arrived before it.
      {ScriptedPeer::stall("HTTP/1.1 200 OK\r\nContent-length: 5\r\n\r\nok"), 1, nullptr},
  };
  for (const auto& c : cases) {
    const std::string& answer = c.step.pieces[0];
    const std::string whole = outcome(c.result, c.result + 1, c.response ? c.response : answer);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(exchange(c.step), whole);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << answer;

    // The cuts of one answer go at once, each to a peer of its own.
    const size_t blank = answer.find("\r\n\r\n");
    const size_t end = std::min(answer.size(),
                                blank == std::string::npos ? answer.size() : blank + 5);
    std::vector<std::thread> cuts;
    for (size_t cut = 1; cut < end; ++cut)
      cuts.emplace_back([&, cut] {
        Step pieces{c.step.kind == Step::kStall ? Step::kStall : Step::kSend, c.step.pieces};
        pieces.pieces[0].erase(0, cut);
        pieces.pieces.insert(pieces.pieces.begin(), answer.substr(0, cut));
        bool alone = cut <= answer.find('\n', answer.find("Content-length:"));
        EXPECT_EQ(exchange(pieces), alone ? outcome(1, 2, answer.substr(0, cut)) : whole)
            << "cut after " << cut << " bytes";
      });
    for (std::thread& each : cuts) each.join();
  }
}

TEST_F(Control, ReceivingStopsAtAMebibyte) {
  ScriptedPeer peer({ScriptedPeer::answer("HTTP/1.1 200 OK\r\nContent-length: 9000000\r\n\r\n" +
                                          std::string(3 << 20, 'x'))});
  HttpWrapper http;
  std::string response;
  EXPECT_EQ(http.httpPost("127.0.0.1", peer.port(), "", "x", response), 0);
  EXPECT_LT(response.size(), (1u << 20) + 4096);
}

// The open connection is used whatever host and port a later call names,
// with the Host of the connection; the port is taken modulo 65536.
TEST_F(Control, RequestGoesWholeOverTheOpenConnection) {
  ScriptedPeer peer({ScriptedPeer::answer(kOk)});
  HttpWrapper http;
  EXPECT_EQ(http.connect("127.0.0.1", peer.port() + 65536), 0);
  EXPECT_EQ(http.connect("no-such-host.invalid", 1), 0);
  const std::string path = "/" + std::string(9999, 'p');
  std::string response;
  EXPECT_EQ(http.httpPost("elsewhere.invalid", 1, path, "a=1", response), 0);
  EXPECT_EQ(peer.requests(), Requests{"POST " + path +
                                      " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                      "Content-type: application/x-www-form-urlencoded\r\n"
                                      "Content-length: 3\r\n\r\na=1"});
}

TEST_F(Control, CopiesLeaveTheOriginalsConnectionOpen) {
  ScriptedPeer peer({ScriptedPeer::keepAnswering(kOk)});
  HttpWrapper original;
  std::string response;
  ASSERT_EQ(original.httpPost("127.0.0.1", peer.port(), "", "1", response), 0);
  {
    HttpWrapper copy(original), assigned;
    assigned = copy;
    assigned = HttpWrapper();
  }
  EXPECT_EQ(original.httpPost("127.0.0.1", peer.port(), "", "2", response), 0);
  EXPECT_EQ(peer.connections(), 1);
  EXPECT_EQ(peer.requests().size(), 2u);
}

}  // namespace
