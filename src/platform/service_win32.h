// Inside the Windows platform layer: what a registration asks of the system,
// as plain records built before any call (so that a test reads them where
// Wine ignores them), and the hooks by which "-run"'s supervision reaches the
// Service Control Manager and the engine's job.
#pragma once

#include "platform/service.h"
#include "platform/windows_support.h"

#include <string>
#include <vector>

// One value under the service's Parameters key or its event source's key.
struct RegistryValue {
  std::wstring name;
  std::wstring text;  // REG_SZ when `isNumber` is false
  DWORD number = 0;   // REG_DWORD
  bool isNumber = false;
};

// Everything a registration hands the system, field by field as the calls
// take it.
struct ServicePlan {
  std::wstring serviceName, displayName, description, binaryPath;
  DWORD startType = SERVICE_AUTO_START;   // CreateService's dwStartType
  BOOL delayedAutoStart = FALSE;          // SERVICE_CONFIG_DELAYED_AUTO_START_INFO
  std::vector<SC_ACTION> failureActions;  // SERVICE_CONFIG_FAILURE_ACTIONS
  DWORD failureResetSeconds = 0;
  BOOL failureActionsOnNonCrashFailures = FALSE;  // SERVICE_CONFIG_FAILURE_ACTIONS_FLAG
  DWORD preshutdownMilliseconds = 0;              // SERVICE_CONFIG_PRESHUTDOWN_INFO
  std::vector<RegistryValue> parameters;          // ...\Services\NAME\Parameters
  std::wstring eventSourceKey;                    // under HKLM
  std::vector<RegistryValue> eventSource;
  std::wstring passwordFolder, passwordFile;
  std::wstring passwordFolderAccess;  // SDDL of the folder's protected access list
};
ServicePlan planService(const ServiceSettings& settings);

// How long the stop of a service may take, as its manager is told: the
// shutdown bound and room for SHUTDOWN's own exchange.
DWORD stopAllowanceMilliseconds(int shutdownSeconds);

// The steps of a service's run that leave an event log entry.
enum class ServiceEvent {
  kStarting,
  kRunning,
  kStopRequested,
  kStopped,
  kEnded,
  kEndedUnasked,
  kFailedStart
};
struct EventEntry {
  WORD type;  // EVENTLOG_INFORMATION_TYPE, _WARNING_TYPE or _ERROR_TYPE
  DWORD id;
  std::wstring text;
};
// The entry for `event`; `detail` is the tool's last message, where there is one.
EventEntry eventEntryFor(ServiceEvent event, const std::string& name, const std::string& detail);

// The service-specific exit codes, which the event log and "sc query" show.
enum ServiceSpecificCode : DWORD {
  kEngineNeverAnswered = 1,  // it could not start, or ended before it answered
  kEngineEndedUnasked = 2,
  kEngineEnded = 3,  // it had to be ended: no SHUTDOWN reached it, or it ignored it
};

// From supervise_win32.cpp: the stop request event that the service's stop
// controls set as the console's events do, and what "-run" tells its
// supervisor ("READY=1", "STOPPING=1"); nothing outside a service. A
// holder of the event that closes it shares nullptr first.
void shareStopEvent(HANDLE event);
void reportToServiceManager(const char* state);

// The engine's job (kill on close) and the relay of its output, from
// process_win32.cpp and supervise_win32.cpp. endEngineTree ends every
// process in the job; awaitEngineOutput waits a moment for the relay to pass
// on what the ended engine wrote.
HANDLE engineJob();
void endEngineTree();
bool relayEngineOutput(HANDLE readEnd);
void awaitEngineOutput();
