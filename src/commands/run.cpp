#include "commands/run.h"

#include "commands/preconditions.h"
#include "commands/start.h"
#include "config/xml_library.h"
#include "control/service_messages.h"
#include "platform/environment.h"
#include "platform/supervise.h"
#include "process/launcher.h"
#include "process/script_runner.h"
#include "util/numbers.h"
#include "util/output.h"
#include "util/status.h"
#include "util/trace.h"

#include <algorithm>

namespace {

// How often a starting engine is asked whether it answers: soon after its
// start, when a quick engine answers, then less and less often up to every
// 50 ms, so that a slow one costs little while the supervisor (systemd, or
// Windows' service manager, which shows "running" only then) hears of its
// readiness within a tenth of a second of its first answer.
constexpr int kFirstPingMilliseconds = 5;
constexpr int kPingIntervalMilliseconds = 50;
// How long a shut-down engine may take to end before it is ended: long
// enough for a service to finish its requests, short of systemd's default
// 90 s, after which systemd would end the tool and the engine itself.
constexpr int kDefaultShutdownSeconds = 30;

}  // namespace

int shutdownSeconds() {
  std::string text;
  int seconds = getEnvironment("ZERINCTL_SHUTDOWN_TIMEOUT", &text) ? parseInteger(text) : 0;
  return seconds > 0 ? seconds : kDefaultShutdownSeconds;
}

namespace {

// "exit code 3", "signal 9": how the engine ended, for the message.
std::string how(const ChildEnd& end) {
  return (end.bySignal ? "signal " : "exit code ") + std::to_string(end.code);
}

// Refused with -1 as any failed start, so that a supervisor tries again a few
// times: the service may be on its way out. The message names the way out,
// the service's stop or the collection's hand-over to the unit.
bool alreadyRunning(const std::string& host, int port, const std::string& stop) {
  if (!serviceAnswers(host, port)) return false;
  printOut("Zerin service is running on host %s, port %d\n", host.c_str(), port);
  printOut("Not started twice: stop the running service first with %s, or let "
           "zerin.admin.repository with enabled: true hand it over\n",
           stop.c_str());
  return true;
}

// SHUTDOWN, as "-stop" sends it, then the bounded wait; an engine that did
// not get the message, or does not end in time, is ended.
int stopEngine(StopRequests& stops, ChildProcess* engine, const std::string& host, int port) {
  notifySupervisor("STOPPING=1");
  const int seconds = shutdownSeconds();
  trace("stop requested: SHUTDOWN, then up to %d seconds for the engine's end", seconds);
  ChildEnd end;
  bool delivered = shutdownService(host, port);
  if (delivered && stops.endsWithin(engine, seconds, &end)) {
    printOut("Zerin service stopped (%s)\n", how(end).c_str());
    return kSuccess;
  }
  endChild(engine, &end);
  if (delivered)
    printOut("Zerin service did not stop within %d seconds and was ended\n", seconds);
  else
    printOut("Zerin service was ended\n");
  return kFailure;
}

enum class FirstOutcome { kAnswered, kEnded, kStopRequested };

// Asks at a short interval until the engine answers, ends, or the tool is
// asked to stop.
FirstOutcome awaitFirstAnswer(StopRequests& stops, ChildProcess* engine, const std::string& host,
                              int port, ChildEnd* end) {
  for (int interval = kFirstPingMilliseconds;;
       interval = std::min(2 * interval, kPingIntervalMilliseconds)) {
    switch (stops.waitForChild(engine, interval, end)) {
      case WaitResult::kEnded:
        return FirstOutcome::kEnded;
      case WaitResult::kStopRequested:
        return FirstOutcome::kStopRequested;
      case WaitResult::kTimedOut:
        trace("asking the engine whether it answers, then %d ms", interval);
        if (serviceAnswers(host, port)) return FirstOutcome::kAnswered;
    }
  }
}

// A request that came before the engine's start, while the database script
// ran or the service was asked whether it answers: nothing is started after
// it. 0, or -1 when the script had to be ended.
int notStarted(const StopRequests& stops) {
  if (stops.endedScript())
    printOut("Quarra server start did not end within %d seconds and was ended\n",
             shutdownSeconds());
  printOut("Zerin service not started: stop requested\n");
  return stops.endedScript() ? kFailure : kSuccess;
}

// Starts the engine as the tool's child and keeps it until it ends: the
// readiness once it answers PING at `host`, then a wait without any time-out
// on its end and the stop requests alone.
int superviseService(StopRequests& stops, const std::string& toolFolder,
                     const std::string& configFile, const std::string& listeningHost,
                     const std::string& host, int port) {
  if (stops.requested()) return notStarted(stops);
  EngineStart start = describeEngineStart(toolFolder, configFile, listeningHost, port);
  ChildProcess engine;
  if (!withToolSearchPath(toolFolder, SearchPathVariant::kServiceLaunch, [&] {
        return launchForeground(start.executable, start.parameters, start.workingFolder, &engine);
      }))
    return kFailure;

  ChildEnd end;
  FirstOutcome first = awaitFirstAnswer(stops, &engine, host, port, &end);
  if (first == FirstOutcome::kEnded) {
    printOut("Zerin service ended before it answered (%s)\n", how(end).c_str());
    return kFailure;
  }
  if (first == FirstOutcome::kStopRequested) return stopEngine(stops, &engine, host, port);
  printOut("Zerin service is running on host %s, port %d\n", host.c_str(), port);
  notifySupervisor("READY=1");

  // A wait that the system broke off stops the engine as a request would:
  // the tool could no longer tell what becomes of it.
  if (stops.waitForChild(&engine, -1, &end) != WaitResult::kEnded)
    return stopEngine(stops, &engine, host, port);
  printOut("Zerin service ended on its own (%s)\n", how(end).c_str());
  return kFailure;
}

// From the command's first step on, before the database script runs, a
// stop request is caught rather than lost, until the command returns.
bool catchStopRequests(const StopRequests& stops) {
  std::string error;
  if (stops.caught(&error)) return true;
  printOut("[error] %s\n", error.c_str());
  return false;
}

}  // namespace

int runRepository(const std::string& toolFolder, const std::string& name, const std::string& user,
                  const std::string& password) {
  StopRequests stops(shutdownSeconds());
  if (!catchStopRequests(stops)) return kFailure;
  RepositoryInstance instance;
  std::string configFile;
  if (!prepareServiceStart(toolFolder, name, false, instance, configFile)) return kCannotStart;
  // The descriptor has been read: nothing is parsed during the long wait.
  stopXmlLibrary();
  if (alreadyRunning(instance.vexaHost, instance.vexaPort,
                     "\"zerinctl -stop " + name + " " + user + " -\""))
    return kFailure;
  setEngineCredentials(user, password);
  return superviseService(stops, toolFolder, configFile, instance.vexaListeningHost,
                          instance.vexaHost, instance.vexaPort);
}

int runServiceDirect(const std::string& toolFolder, const std::string& user,
                     const std::string& password, const std::string& host, int port,
                     const std::string& connectionFile) {
  StopRequests stops(shutdownSeconds());
  if (!catchStopRequests(stops)) return kFailure;
  if (!connectionFileReadable(connectionFile)) return kCannotStart;
  stopXmlLibrary();
  if (alreadyRunning(host, port, "\"zerinctl -stop\" and the same arguments")) return kFailure;
  setEngineCredentials(user, password);
  return superviseService(stops, toolFolder, connectionFile, host, host, port);
}
