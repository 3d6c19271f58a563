// Supervising the engine on Windows: the console's control events, and in a
// service the manager's stop controls, set one event, and the tool waits on
// it and on the engine's process handle at once.
#include "platform/supervise.h"

#include "platform/service_win32.h"
#include "platform/windows_support.h"

namespace {

// The live guard's event, for the handler, which has no other way to it.
HANDLE stopRequested = nullptr;  // auto-reset: each request is seen once

HANDLE handleOf(const ChildProcess& child) { return reinterpret_cast<HANDLE>(child.id); }

ChildEnd endOf(ChildProcess* child) {
  // What the engine wrote last comes before what the tool says of its end.
  awaitEngineOutput();
  DWORD code = 0;
  GetExitCodeProcess(handleOf(*child), &code);
  CloseHandle(handleOf(*child));
  child->id = 0;
  ChildEnd end;
  end.code = static_cast<int>(code);
  return end;
}

BOOL WINAPI onConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      SetEvent(stopRequested);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // Windows ends the process as soon as this returns: it stays here
      // while the tool stops the engine, until the tool's own end or the
      // system's few seconds of grace are over.
      SetEvent(stopRequested);
      Sleep(INFINITE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

StopRequests::StopRequests(int graceSeconds) : graceSeconds_(graceSeconds) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (event == nullptr) {
    error_ = "CreateEventA: " + systemText(GetLastError());
    return;
  }
  stopRequested = event;
  // A tool started in a process group of its own ignores Ctrl-C until told
  // otherwise, and so would never stop on it.
  SetConsoleCtrlHandler(nullptr, FALSE);
  if (!SetConsoleCtrlHandler(onConsoleEvent, TRUE)) {
    error_ = "SetConsoleCtrlHandler: " + systemText(GetLastError());
    CloseHandle(event);
    stopRequested = nullptr;
    return;
  }
  handle_ = reinterpret_cast<long long>(event);
  live_ = this;
  shareStopEvent(event);
}

StopRequests::~StopRequests() { release(); }

void StopRequests::release() {
  if (handle_ != -1) {
    shareStopEvent(nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    stopRequested = nullptr;
  }
  handle_ = -1;
  if (live_ == this) live_ = nullptr;
}

bool StopRequests::pendingRequest() {
  return handle_ != -1 &&
         WaitForSingleObject(reinterpret_cast<HANDLE>(handle_), 0) == WAIT_OBJECT_0;
}

WaitResult StopRequests::waitForChild(ChildProcess* child, int milliseconds, ChildEnd* end) {
  const HANDLE waited[] = {handleOf(*child), reinterpret_cast<HANDLE>(handle_)};
  DWORD result = WaitForMultipleObjects(
      2, waited, FALSE, milliseconds < 0 ? INFINITE : static_cast<DWORD>(milliseconds));
  if (result == WAIT_OBJECT_0) {
    *end = endOf(child);
    return WaitResult::kEnded;
  }
  if (result != WAIT_OBJECT_0 + 1) return WaitResult::kTimedOut;
  requested_ = true;
  return WaitResult::kStopRequested;
}

void endChild(ChildProcess* child, ChildEnd* end) {
  if (child->id == 0) return;
  // The whole job: whatever the engine started goes with it.
  endEngineTree();
  TerminateProcess(handleOf(*child), 1);
  WaitForSingleObject(handleOf(*child), INFINITE);
  *end = endOf(child);
}

void notifySupervisor(const char* state) { reportToServiceManager(state); }
