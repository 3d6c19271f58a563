// The tool as a user runs it: copied into an installation folder of its own,
// started as a process, judged by its exact output and exit status.
#include "control/http_wrapper.h"
#include "support/scripted_peer.h"
#include "support/temp_folder.h"
#include "support/tool_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

const char kUsage[] = "Incorrect usage\n";

class ToolProcess : public ::testing::Test {
 protected:
  ToolProcess() {
    fs::copy_file(builtProgram("zerinctl"), folder_.path() / ("zerinctl" + std::string(kExecutableSuffix)));
  }

  ProcessResult run(const std::vector<std::string>& arguments) {
    return runProcess(folder_.native("zerinctl" + std::string(kExecutableSuffix)), arguments);
  }

  // Moves the data folder into the installation and gives it a descriptor.
  void describe(const std::string& instances) {
    folder_.write("zerin.cfg", "# data beside the tool\nrepository_data_directory , \"" +
                                   folder_.native("data") + "\"\n");
    folder_.write("data/vexa_config.xml", "<repositories>\n" + instances + "</repositories>\n");
  }

  TempFolder folder_;
};

// The stand-in engine, listening on a port of its own until SHUTDOWN.
class RunningEngine {
 public:
  RunningEngine() : port_(unusedPort()) {
    thread_ = std::thread([this] {
      result_ = runProcess(builtProgram("vexa"),
                           {"-c", "conf", "-t", "http://localhost:" + std::to_string(port_) +
                                                     "/?concurrency=5", "-d"});
    });
    // Wait until it answers, so that the test does not race its start.
    for (int i = 0; i < 100 && !answers(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ~RunningEngine() {
    if (!thread_.joinable()) return;
    // A test that failed half-way still ends the engine.
    HttpWrapper http;
    std::string response;
    http.httpPost("localhost", port_, "", "<UMF_PROC><NAME>SHUTDOWN</NAME></UMF_PROC>", response);
    thread_.join();
  }

  int port() const { return port_; }

  // Waits until the engine has ended and returns how it ended.
  ProcessResult waitForExit() {
    thread_.join();
    return result_;
  }

 private:
  bool answers() const {
    HttpWrapper probe;
    return probe.connect("localhost", port_) == 0;
  }

  int port_;
  std::thread thread_;
  ProcessResult result_;
};

// What only a real process shows: the platform's own form of the statuses.
TEST_F(ToolProcess, StatusesReachTheCallerInThePlatformsForm) {
  const std::string missing = folder_.native("missing.ini");
  const struct {
    std::vector<std::string> arguments;
    std::string output;
    int status;
  } cases[] = {
      {{}, "", 0},
      {{"-stop", "sales"}, kUsage, -2},
      {{"-check", "_VEXADEFAULT_", "u", "p", "x", "localhost", "1", missing},
       "Failed to read connection string from file(" + missing + ")", -1},
  };
  for (const auto& c : cases) {
    ProcessResult result = run(c.arguments);
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(result.status, reportedStatus(c.status));
  }
}

// The settings file beside the tool moves the data folder next to it.
TEST_F(ToolProcess, ChecksAndStopsARunningEngine) {
  RunningEngine engine;
  std::string port = std::to_string(engine.port());
  describe("  <instance name=\"sales\" port=\"1\" vexaport=\"" + port + "\"/>\n");
  std::string running = "Zerin service is running on host localhost, port " + port + "\n";
  folder_.write("conn.ini", "CONNECTION=host=db;port=1\n");
  std::string connection = folder_.native("conn.ini");

  ProcessResult byName = run({"-check", "sales", "u", "p"});
  EXPECT_EQ(byName.output, running);
  EXPECT_EQ(byName.status, 0);
  // The ten-argument form reads the host from argument 7; the port text
  // stops at its first non-digit.
  ProcessResult explicitForm = run(
      {"-check", "_VEXADEFAULT_", "u", "p", "x", "9", "localhost", port + "x", connection});
  EXPECT_EQ(explicitForm.output, running);
  EXPECT_EQ(explicitForm.status, 0);

  ProcessResult stop = run({"-stop", "sales", "u", "p"});
  EXPECT_EQ(stop.output, "Stopping local Zerin service\nShutdown command sent to Zerin service\n");
  EXPECT_EQ(stop.status, 0);
  EXPECT_EQ(engine.waitForExit().status, 0);

  ProcessResult gone = run({"-check", "sales", "u", "p"});
  EXPECT_EQ(gone.output, "Zerin service not running on host localhost, port " + port + "\n");
  EXPECT_EQ(gone.status, reportedStatus(-1));
}

}  // namespace
