// A stand-in for the service engine, for tests and the demo installation.
// It takes the engine's command line
//
//   vexa -c CONFIG -t http://HOST:PORT/?concurrency=K -d
//
// listens on HOST:PORT, answers every POST with "HTTP/1.1 200 OK" (its
// Content-length header last), and exits with 0 after answering SHUTDOWN;
// with arguments it cannot use it exits with 2, and with 1 when it cannot
// listen. Before anything else it records how it was started (start_record.h).
// It says on standard output when SHUTDOWN comes.
//
// VEXA_STANDIN makes it misbehave as the tests of "-run" need: "fail-start"
// exits with 4 before it listens, "crash" with 3 after its first answer,
// "ignore-shutdown" answers SHUTDOWN and runs on, "slow-shutdown" takes two
// seconds to end after it, as an engine that finishes its requests does (a
// stop that also signals the engine cuts that short), "orphan" leaves a
// process behind whose parent ends at once (leaveOrphan), and "terminate"
// raises SIGTERM after its first answer (exit code 5 should it live on).
// Where no variable reaches it (a service under Wine, whose manager passes
// none) the first line of the file "vexa.standin" in its working folder says
// the same.
#include "engine_system.h"
#include "listener.h"
#include "start_record.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

const char kAnswerBody[] = "<UMF_PROC><STATUS>OK</STATUS></UMF_PROC>";

// HOST and PORT from http://HOST:PORT/...
bool parseAddress(const std::string& url, std::string* host, std::uint16_t* port) {
  const std::string scheme = "http://";
  if (url.compare(0, scheme.size(), scheme) != 0) return false;
  size_t start = scheme.size();
  size_t colon = url.find(':', start);
  if (colon == std::string::npos) return false;
  *host = url.substr(start, colon - start);
  long value = std::strtol(url.c_str() + colon + 1, nullptr, 10);
  if (value <= 0 || value > 65535) return false;
  *port = static_cast<std::uint16_t>(value);
  return !host->empty();
}

std::string misbehaviour() {
  const char* variable = std::getenv("VEXA_STANDIN");
  std::string mode = variable == nullptr ? "" : variable;
  std::ifstream file("vexa.standin");
  if (mode.empty() && file) std::getline(file, mode);
  return mode;
}

}  // namespace

int main(int argc, char** argv) {
  // The process an orphaning engine leaves behind on Windows.
  if (argc == 2 && std::strcmp(argv[1], "-linger") == 0) {
    std::this_thread::sleep_for(std::chrono::minutes(1));
    return 0;
  }
  // Even a start with unusable arguments is recorded: the tests want to see
  // what the tool passed, right or wrong.
  if (!recordStart(argc, argv)) std::fprintf(stderr, "vexa: cannot write vexa.started\n");

  std::string url;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-t") == 0) url = argv[i + 1];
  std::string host;
  std::uint16_t port = 0;
  if (!parseAddress(url, &host, &port)) {
    std::fprintf(stderr, "usage: vexa -c CONFIG -t http://HOST:PORT/?concurrency=K -d\n");
    return 2;
  }

  const std::string mode = misbehaviour();
  if (mode == "fail-start") return 4;
  if (mode == "orphan") leaveOrphan();

  peer::startup();
  peer::Handle listener = 0;
  if (!peer::listenOn(host, port, &listener, &port)) {
    std::fprintf(stderr, "vexa: cannot listen on %s port %u\n", host.c_str(),
                 static_cast<unsigned>(port));
    return 1;
  }
  for (bool running = true; running;) {
    peer::Handle client = 0;
    if (!peer::acceptClient(listener, &client, -1)) continue;
    std::string request = peer::receiveRequest(client, 5000);
    if (request.find("<NAME>SHUTDOWN</NAME>") != std::string::npos) {
      // Said before the answer, so that it comes before what the sender says.
      std::printf("vexa: SHUTDOWN received\n");
      std::fflush(stdout);
      running = mode == "ignore-shutdown";
    }
    running = running && mode != "crash" && mode != "terminate";
    peer::sendAll(client, "HTTP/1.1 200 OK\r\nContent-type: text/xml\r\nContent-length: " +
                              std::to_string(sizeof kAnswerBody - 1) + "\r\n\r\n" + kAnswerBody);
    peer::closeHandle(client);
  }
  peer::closeHandle(listener);
  peer::cleanup();
  if (mode == "slow-shutdown") std::this_thread::sleep_for(std::chrono::seconds(2));
  if (mode == "terminate") std::raise(SIGTERM);
  return mode == "crash" ? 3 : mode == "terminate" ? 5 : 0;
}
