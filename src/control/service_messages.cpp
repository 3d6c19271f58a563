#include "control/service_messages.h"

#include "control/http_wrapper.h"
#include "util/output.h"
#include "util/status.h"

namespace {

constexpr char kShutdownMessage[] = "<UMF_PROC><NAME>SHUTDOWN</NAME></UMF_PROC>";
constexpr char kPingMessage[] = "<UMF_PROC><NAME>PING</NAME></UMF_PROC>";

int post(const std::string& host, int port, const char* message) {
  HttpWrapper http;
  std::string response;
  return http.httpPost(host, port, "", message, response);
}

}  // namespace

bool shutdownService(const std::string& host, int port) {
  printOut("Stopping local Zerin service\n");
  if (post(host, port, kShutdownMessage) != 0) {
    printOut("Error sending shutdown command to Zerin service\n");
    return false;
  }
  printOut("Shutdown command sent to Zerin service\n");
  return true;
}

bool serviceAnswers(const std::string& host, int port) {
  return post(host, port, kPingMessage) == 0;
}

int pingService(const std::string& host, int port) {
  if (!serviceAnswers(host, port)) {
    printOut("Zerin service not running on host %s, port %d\n", host.c_str(), port);
    return kFailure;
  }
  printOut("Zerin service is running on host %s, port %d\n", host.c_str(), port);
  return kSuccess;
}
