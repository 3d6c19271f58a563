#include "commands/stop_check.h"

#include "platform/net.h"
#include "support/scripted_peer.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const std::string kStopping = "Stopping local Zerin service\n";

// The whole request that carries a command message to `host`.
std::string request(const std::string& host, const std::string& command) {
  std::string body = "<UMF_PROC><NAME>" + command + "</NAME></UMF_PROC>";
  return "POST  HTTP/1.1\r\nHost: " + host +
         "\r\nContent-type: application/x-www-form-urlencoded\r\nContent-length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}
const std::string kShutdown = request("localhost", "SHUTDOWN");
const std::string kPing = request("localhost", "PING");

struct Case {
  std::function<int()> command;
  std::string printed;
  int status;
  std::vector<std::string> sent;  // every request the peer received
};

// An installation whose descriptor points its services at a peer that
// answers with success ("up") or at a port where nothing listens ("gone").
class StopCheck : public testing::Test {
 protected:
  void SetUp() override {
    setNetworkTimeouts(2000, 2000);
    tool_.write("zerin.cfg", "repository_data_directory,\"" + data_.native() + "\"\n");
    auto instance = [](const char* name, const std::string& attributes) {
      return "<instance name=\"" + std::string(name) + "\" port=\"1\" " + attributes + "/>\n";
    };
    data_.write("vexa_config.xml",
                "<config>\n" +
                    instance("local", "vexaport=\"" + up_ + "\" host=\"db.invalid\" path=\"d\"") +
                    instance("localGone", "vexahost=\"localhost\" vexaport=\"" + gone_ + "\"") +
                    // A loopback address in digits is not "localhost" here.
                    instance("digits", "vexahost=\"127.0.0.1\" vexaport=\"" + up_ + "\"") +
                    instance("digitsGone", "vexahost=\"127.0.0.1\" vexaport=\"" + gone_ + "\"") +
                    instance("remote", "vexahost=\"far.invalid\" path=\"d\"") + "</config>\n");
  }
  void TearDown() override { setNetworkTimeouts(connectMs_, receiveMs_); }

  void check(const std::vector<Case>& cases) {
    for (size_t i = 0; i < cases.size(); ++i) {
      size_t before = peer_.requests().size();
      testing::internal::CaptureStdout();
      EXPECT_EQ(cases[i].command(), cases[i].status) << "case " << i;
      EXPECT_EQ(testing::internal::GetCapturedStdout(), cases[i].printed) << "case " << i;
      std::vector<std::string> requests = peer_.requests();
      EXPECT_EQ(std::vector<std::string>(requests.begin() + before, requests.end()), cases[i].sent)
          << "case " << i;
    }
  }

  ScriptedPeer peer_{{ScriptedPeer::answer("HTTP/1.1 200 OK\r\nContent-length: 2\r\n\r\nok")}};
  const std::string up_ = std::to_string(peer_.port()), gone_ = std::to_string(unusedPort());
  const int connectMs_ = connectTimeoutMilliseconds(), receiveMs_ = receiveTimeoutMilliseconds();
  TempFolder tool_, data_;
};

TEST_F(StopCheck, ByNameStopsOnlyLocalServicesAndChecksAnyHost) {
  const std::string tool = tool_.native();
  auto stop = [tool](const char* name) { return [=] { return stopRepository(tool, name, "", ""); }; };
  auto ping = [tool](const char* name) { return [=] { return checkRepository(tool, name, "", ""); }; };
  check({
      {stop("local"), kStopping + "Shutdown command sent to Zerin service\n", 0,
       {kShutdown}},
      {stop("localGone"), kStopping + "Error sending shutdown command to Zerin service\n", 0, {}},
      {stop("digits"), "", 0, {}},
      {stop("remote"), "Error - no local services to stop\n", -1, {}},
      {stop("missing"), "Cannot find repository details\n", -1, {}},
      {ping("digits"), "Zerin service is running on host 127.0.0.1, port " + up_ + "\n", 0,
       {request("127.0.0.1", "PING")}},
      {ping("digitsGone"), "Zerin service not running on host 127.0.0.1, port " + gone_ + "\n", -1,
       {}},
      {ping("missing"), "Cannot find repository details\n", -1, {}},
  });
}

TEST_F(StopCheck, ExplicitFormsNeedAConnectionFileAndStopOnlyLocalhost) {
  tool_.write("good.ini", "CONNECTION=db\n");
  tool_.write("bare.ini", "USER=db\n");
  const std::string tool = tool_.native(), good = tool_.native("good.ini"),
                    bare = tool_.native("bare.ini"), none = tool_.native("none.ini");
  const int port = peer_.port();
  auto stop = [=](const char* host, std::string file) {
    return [=] { return stopServiceDirect(tool, "", "", host, port, file); };
  };
  auto ping = [=](const char* host, std::string file) {
    return [=] { return checkServiceDirect(tool, "", "", host, port, file); };
  };
  auto unread = [](const std::string& file) {
    return "Failed to read connection string from file(" + file + ")";
  };
  check({
      {stop("localhost", good), kStopping + "Shutdown command sent to Zerin service\n", 0,
       {kShutdown}},
      {stop("127.0.0.1", good), "Can not stop localhost Vexa web service\n", 0, {}},
      {stop("localhost", bare), unread(bare), -1, {}},
      {stop("localhost", none), unread(none), -1, {}},
      {ping("localhost", good), "Zerin service is running on host localhost, port " + up_ + "\n",
       0, {kPing}},
      {ping("127.0.0.1", bare), unread(bare), -1, {}},
  });
}

}  // namespace
