// The engine's process tree and output on Windows. The engine lives in a job
// that ends everything in it when its last handle closes, so that nothing it
// started outlives the tool, even a tool that is itself ended. Its output
// comes through a pipe that a thread of the tool passes on, to the tool's
// standard output or, in the service, to the repository's log.
#include "platform/service_win32.h"
#include "util/log_file.h"

#include <thread>

namespace {

ScopedHandle job;
ScopedHandle relayEnded;  // manual reset: set once the pipe has closed

HANDLE makeJob() {
  HANDLE made = CreateJobObjectW(nullptr, nullptr);
  if (made == nullptr) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(made);
    return nullptr;
  }
  return made;
}

void passOn(const char* bytes, DWORD length) {
  if (logOpen()) {
    writeLog(std::string(bytes, length));
    return;
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, length, &written, nullptr);
}

void relay(HANDLE readEnd) {
  char buffer[4096];
  DWORD length = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &length, nullptr) && length > 0)
    passOn(buffer, length);
  CloseHandle(readEnd);
  SetEvent(relayEnded.get());
}

}  // namespace

HANDLE engineJob() {
  // The job's handle is never inherited: a copy in a child would keep the
  // job, and so the engine's tree, alive after the tool.
  if (!job.valid()) job.reset(makeJob());
  return job.get();
}

void endEngineTree() {
  if (job.valid()) TerminateJobObject(job.get(), 1);
}

bool relayEngineOutput(HANDLE readEnd) {
  relayEnded.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!relayEnded.valid()) return false;
  std::thread(relay, readEnd).detach();
  return true;
}

void awaitEngineOutput() {
  // Whatever the engine's own children hold of the pipe keeps it open; a
  // short wait passes on what the engine wrote without waiting for them.
  if (relayEnded.valid()) WaitForSingleObject(relayEnded.get(), 200);
}
