// Keeping the engine in the foreground for "-run": the requests to stop
// (SIGTERM, SIGINT and SIGHUP on POSIX; Ctrl-C, Ctrl-Break and the console's
// close on Windows), the wait on a child's end and on those requests without
// polling, ending a child that will not stop, and telling the system's
// supervisor how the service stands.
//
// A StopRequests is made first, before anything is started, so that no
// request is lost and none ends the tool before it has stopped its children;
// it owns what it takes from the system and gives it back as it ends. Nothing
// here prints; a refusal says which call failed and the system's reason.
#pragma once

#include "platform/process.h"

#include <string>

// How a child ended: by its exit code, or on POSIX by a signal.
struct ChildEnd {
  bool bySignal = false;
  int code = 0;  // the exit code, or the signal's number
};

enum class WaitResult { kEnded, kStopRequested, kTimedOut };

// While it lives, the stop requests are caught instead of ending the tool,
// also as PID 1 of a PID namespace (which has no default handlers), and the
// tool's other children are reaped as they end (a PID 1's orphans); a
// script run meanwhile (runThroughInterpreter) is waited for through it. Its
// end gives back the signal state it found, and drops the requests nobody
// has seen. At most one lives at a time: what it changes is the process's.
// Children start with the signal state the tool had at its own start.
class StopRequests {
 public:
  // `graceSeconds`: how long a script that a request finds running may take.
  explicit StopRequests(int graceSeconds);
  ~StopRequests();
  StopRequests(StopRequests&& other) noexcept;
  StopRequests& operator=(StopRequests&& other) noexcept;
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;

  // False when the requests could not be caught; `error` then names the
  // call that failed and the system's reason ("signalfd: Too many open files").
  bool caught(std::string* error) const;

  // The one that lives, or nullptr.
  static StopRequests* live();

  // Whether a request has come by now, seen by any wait or pending still.
  bool requested();

  // Waits up to `milliseconds` (-1: without limit) for the child's end or a
  // stop request, whichever comes first. kEnded fills `end` and releases the
  // child (its id becomes 0). Each request is reported once. A wait that the
  // system breaks off counts as timed out.
  WaitResult waitForChild(ChildProcess* child, int milliseconds, ChildEnd* end);

  // Waits up to `seconds` for the child's end; requests change nothing.
  bool endsWithin(ChildProcess* child, int seconds, ChildEnd* end);

  // Waits for a script's end. After a request the script has the grace
  // seconds left to end, then it is ended with its process group.
  void waitForScript(ChildProcess* script, ChildEnd* end);
  // Whether a script had to be ended so.
  bool endedScript() const { return endedScript_; }

 private:
  void release();
  bool pendingRequest();
  void takeFrom(StopRequests& other);

  static StopRequests* live_;

  long long handle_ = -1;  // the signalfd; on Windows the event's handle
  unsigned blocked_ = 0;   // POSIX: the signals it blocked, bit N for signal N
  int graceSeconds_ = 0;
  bool requested_ = false, endedScript_ = false;
  std::string error_;
};

// Ends the child and what it started in its process group, at once, and
// waits for it; fills `end` and releases the child.
void endChild(ChildProcess* child, ChildEnd* end);

// Tells the system's supervisor how the service stands ("READY=1",
// "STOPPING=1"): on POSIX through the socket NOTIFY_SOCKET names (systemd's
// notify protocol), nothing when it is unset; on Windows, in a service, as
// the Service Control Manager's "running" and "stop pending", and nothing in
// a console.
void notifySupervisor(const char* state);
