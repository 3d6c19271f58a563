// Keeping the engine in the foreground for "-run": the requests to stop
// (SIGTERM, SIGINT and SIGHUP on POSIX; Ctrl-C, Ctrl-Break and the console's
// close on Windows), the wait on the child's end and on those requests
// without polling, ending a child that will not stop, and telling the
// system's supervisor how the service stands.
//
// catchStopRequests comes first, before the child starts, so that no request
// is lost and none ends the tool before it has stopped its child. Nothing
// here prints; a refusal returns false with the system's reason in `error`.
#pragma once

#include "platform/process.h"

#include <string>

// How a child ended: by its exit code, or on POSIX by a signal.
struct ChildEnd {
  bool bySignal = false;
  int code = 0;  // the exit code, or the signal's number
};

enum class WaitResult { kEnded, kStopRequested, kTimedOut };

// From here on the stop requests are caught instead of ending the tool, also
// as PID 1 of a PID namespace (which has no default handlers), and the
// tool's other children are reaped as they end (a PID 1's orphans).
bool catchStopRequests(std::string* error);

// Waits up to `milliseconds` (-1: without limit) for the child's end or a
// stop request, whichever comes first. kEnded fills `end` and releases the
// child (its id becomes 0). Each request is reported once. A wait that the
// system breaks off counts as timed out.
WaitResult waitForChild(ChildProcess* child, int milliseconds, ChildEnd* end);

// Ends the child and what it started in its process group, at once, and
// waits for it; fills `end` and releases the child.
void endChild(ChildProcess* child, ChildEnd* end);

// Sends `state` ("READY=1", "STOPPING=1") to the supervisor whose socket
// NOTIFY_SOCKET names (systemd's notify protocol); nothing when it is unset,
// and nothing on Windows, which has no such supervisor.
void notifySupervisor(const char* state);
