// Running as a repository's service: the dispatcher, the control handler,
// the status that the Service Control Manager sees, and the event log.
#include "platform/service_store_win32.h"
#include "platform/system.h"
#include "util/log_file.h"

#include <mutex>
#include <thread>

namespace {

// A pending state is reported again this often with the next checkpoint,
// and promised within the start's wait hint, so that a long database script
// never looks like a hung start.
constexpr DWORD kCheckpointMilliseconds = 1000;
constexpr DWORD kStartWaitHintMilliseconds = 5000;

std::string repository;
std::wstring serviceName;
int (*serviceBody)(const std::string& name) = nullptr;
SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE eventSource = nullptr;
DWORD stopWaitHint = 0;

std::mutex statusLock;  // the handler's thread, the body's and the ticker's
SERVICE_STATUS status{};
HANDLE stopEvent = nullptr;
bool stopAsked = false, answered = false;

bool pending(DWORD state) {
  return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
}

// Under statusLock.
void setState(DWORD state, DWORD exitCode = NO_ERROR, DWORD specificCode = 0) {
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_START_PENDING || state == SERVICE_RUNNING
                                  ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN |
                                        SERVICE_ACCEPT_PRESHUTDOWN
                                  : 0;
  status.dwWin32ExitCode = exitCode;
  status.dwServiceSpecificExitCode = specificCode;
  status.dwCheckPoint = pending(state) ? status.dwCheckPoint + 1 : 0;
  status.dwWaitHint = state == SERVICE_START_PENDING  ? kStartWaitHintMilliseconds
                      : state == SERVICE_STOP_PENDING ? stopWaitHint
                                                      : 0;
  SetServiceStatus(statusHandle, &status);
}

// A failure to log is no failure of the service: the result goes unheeded.
void logEvent(ServiceEvent event) {
  if (eventSource == nullptr) return;
  EventEntry entry = eventEntryFor(event, repository, lastLogLine());
  const wchar_t* strings[] = {entry.text.c_str()};
  ReportEventW(eventSource, entry.type, 0, entry.id, nullptr, 1, 0, strings, nullptr);
}

void requestStop() {
  std::lock_guard<std::mutex> hold(statusLock);
  if (stopAsked || status.dwCurrentState == SERVICE_STOPPED) return;
  stopAsked = true;
  logEvent(ServiceEvent::kStopRequested);
  setState(SERVICE_STOP_PENDING);
  if (stopEvent != nullptr) SetEvent(stopEvent);
}

DWORD WINAPI onControl(DWORD control, DWORD, void*, void*) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
    case SERVICE_CONTROL_PRESHUTDOWN:
      requestStop();
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void tick(HANDLE done) {
  while (WaitForSingleObject(done, kCheckpointMilliseconds) == WAIT_TIMEOUT) {
    std::lock_guard<std::mutex> hold(statusLock);
    if (pending(status.dwCurrentState)) setState(status.dwCurrentState);
  }
}

// The end as the manager must see it: a clean stop only after the SHUTDOWN
// that the service asked for, a service-specific code for everything else,
// so that its recovery restarts the service.
void finish(int result) {
  // Nothing the engine started outlives its service.
  endEngineTree();
  std::lock_guard<std::mutex> hold(statusLock);
  DWORD code = stopAsked ? kEngineEnded : answered ? kEngineEndedUnasked : kEngineNeverAnswered;
  if (result == 0) code = 0;
  logEvent(code == 0                     ? ServiceEvent::kStopped
           : code == kEngineEnded        ? ServiceEvent::kEnded
           : code == kEngineEndedUnasked ? ServiceEvent::kEndedUnasked
                                         : ServiceEvent::kFailedStart);
  setState(SERVICE_STOPPED, code == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR, code);
}

void WINAPI serviceMain(DWORD, wchar_t**) {
  statusHandle = RegisterServiceCtrlHandlerExW(serviceName.c_str(), onControl, nullptr);
  if (statusHandle == nullptr) return;
  eventSource = RegisterEventSourceW(nullptr, serviceName.c_str());
  ScopedHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  {
    std::lock_guard<std::mutex> hold(statusLock);
    setState(SERVICE_START_PENDING);
    logEvent(ServiceEvent::kStarting);
  }
  std::thread ticker(tick, done.get());
  int result = serviceBody(repository);
  SetEvent(done.get());
  ticker.join();
  finish(result);
  if (eventSource != nullptr) DeregisterEventSource(eventSource);
}

}  // namespace

void shareStopEvent(HANDLE event) {
  std::lock_guard<std::mutex> hold(statusLock);
  stopEvent = event;
  // A stop that came before the event (while the database script ran).
  if (stopAsked && stopEvent != nullptr) SetEvent(stopEvent);
}

void reportToServiceManager(const char* state) {
  if (statusHandle == nullptr) return;
  std::lock_guard<std::mutex> hold(statusLock);
  const std::string said = state;
  if (said == "READY=1" && !stopAsked) {
    answered = true;
    setState(SERVICE_RUNNING);
    logEvent(ServiceEvent::kRunning);
  } else if (said == "STOPPING=1" && status.dwCurrentState != SERVICE_STOP_PENDING) {
    setState(SERVICE_STOP_PENDING);
  }
}

bool readServiceSettings(const std::string& name, ServiceSettings* settings, std::string* error) {
  const std::wstring key = serviceKeyOf(wideText(serviceNameOf(name))) + L"\\Parameters";
  DWORD seconds = 0;
  if (!readRegistryText(key, L"EngineUser", &settings->engineUser) ||
      !readRegistryText(key, L"ToolFolder", &settings->toolFolder) ||
      !readRegistryNumber(key, L"ShutdownSeconds", &seconds)) {
    *error = "the registration's settings are missing; register the service again";
    return false;
  }
  settings->name = name;
  settings->shutdownSeconds = static_cast<int>(seconds);
  executablePath(&settings->toolPath);
  return true;
}

bool loadServicePassword(const std::string& name, std::string* password, std::string* error) {
  return readPassword(passwordFileOf(name), password, error);
}

ServiceRun runAsService(const std::string& name, int (*body)(const std::string& name),
                        std::string* error) {
  repository = name;
  serviceName = wideText(serviceNameOf(name));
  serviceBody = body;
  ServiceSettings settings;
  settings.shutdownSeconds = 30;
  std::string ignored;
  readServiceSettings(name, &settings, &ignored);
  stopWaitHint = stopAllowanceMilliseconds(settings.shutdownSeconds);
  SERVICE_TABLE_ENTRYW table[] = {{&serviceName[0], serviceMain}, {nullptr, nullptr}};
  if (StartServiceCtrlDispatcherW(table)) return ServiceRun::kServed;
  DWORD code = GetLastError();
  if (code == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) return ServiceRun::kNotFromManager;
  *error = systemText(code);
  return ServiceRun::kFailed;
}
