// Registering and removing a repository's service with the Service Control
// Manager. The plan comes first, then the calls that hand it over one by one.
#include "platform/service_win32.h"

#include "platform/service_store_win32.h"

#include <chrono>
#include <thread>

const bool kServiceManager = true;

namespace {

// Restart 5 s after each of the first three failures; a day without one
// starts the count again.
constexpr DWORD kRestartDelayMilliseconds = 5000;
constexpr int kRestarts = 3;
constexpr DWORD kFailureResetSeconds = 24 * 60 * 60;
// Beyond the engine's own bound: SHUTDOWN's exchange and the job's end.
constexpr DWORD kStopMarginSeconds = 15;
// Only SYSTEM and the Administrators, and nothing inherited from above.
const wchar_t kPasswordFolderAccess[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// A word of the command line as the C runtime splits it back: quoted when
// it holds a blank, backslashes doubled only before a quote.
std::string commandLineArgument(const std::string& word) {
  if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) return word;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
    } else {
      quoted.append(c == '"' ? backslashes + 1 : 0, '\\');
      backslashes = 0;
    }
    quoted += c;
  }
  return quoted.append(backslashes, '\\') + "\"";
}

RegistryValue text(const wchar_t* name, const std::string& value) {
  return RegistryValue{name, wideText(value), 0, false};
}
RegistryValue number(const wchar_t* name, DWORD value) {
  return RegistryValue{name, L"", value, true};
}

ServiceChange refusal(DWORD code, std::string* error) {
  *error = systemText(code);
  return code == ERROR_ACCESS_DENIED ? ServiceChange::kNoRight : ServiceChange::kFailed;
}

// Whether the registration already holds the plan and the password.
bool holds(SC_HANDLE service, const ServicePlan& plan, const std::string& password) {
  RegisteredConfig now;
  std::string stored, ignored;
  return readRegisteredConfig(service, plan.serviceName, &now) &&
         now.binaryPath == plan.binaryPath && now.displayName == plan.displayName &&
         now.startType == plan.startType && now.delayedAutoStart == plan.delayedAutoStart &&
         registryHolds(serviceKeyOf(plan.serviceName) + L"\\Parameters", plan.parameters) &&
         readPassword(plan.passwordFile, &stored, &ignored) && stored == password;
}

// Stops the service when it runs, within `allowance`; true when it ran.
bool stopRunning(SC_HANDLE service, DWORD allowance) {
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service, &status) || status.dwCurrentState == SERVICE_STOPPED)
    return false;
  ControlService(service, SERVICE_CONTROL_STOP, &status);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(allowance);
  while (QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return true;
}

}  // namespace

std::string serviceNameOf(const std::string& name) { return "zerinctl-" + name; }

DWORD stopAllowanceMilliseconds(int shutdownSeconds) {
  return (static_cast<DWORD>(shutdownSeconds) + kStopMarginSeconds) * 1000;
}

ServicePlan planService(const ServiceSettings& settings) {
  ServicePlan plan;
  plan.serviceName = wideText(serviceNameOf(settings.name));
  plan.displayName = wideText("Zerin service of repository " + settings.name);
  plan.description = wideText("Runs the Zerin service of repository " + settings.name +
                              ": its engine starts with Windows, stops through SHUTDOWN and "
                              "restarts after a failure. Managed with zerinctl -register.");
  plan.binaryPath = wideText("\"" + settings.toolPath + "\" -service " +
                             commandLineArgument(settings.name));
  plan.startType = settings.start == StartType::kDemand ? SERVICE_DEMAND_START : SERVICE_AUTO_START;
  plan.delayedAutoStart = settings.start == StartType::kDelayed;
  plan.failureActions.assign(kRestarts, SC_ACTION{SC_ACTION_RESTART, kRestartDelayMilliseconds});
  plan.failureResetSeconds = kFailureResetSeconds;
  plan.failureActionsOnNonCrashFailures = TRUE;
  plan.preshutdownMilliseconds = stopAllowanceMilliseconds(settings.shutdownSeconds);
  plan.parameters = {text(L"EngineUser", settings.engineUser),
                     text(L"ToolFolder", settings.toolFolder),
                     number(L"ShutdownSeconds", static_cast<DWORD>(settings.shutdownSeconds))};
  plan.eventSourceKey = eventSourceKeyOf(plan.serviceName);
  plan.eventSource = {text(L"EventMessageFile", settings.toolPath),
                      number(L"TypesSupported", EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE |
                                                    EVENTLOG_INFORMATION_TYPE)};
  plan.passwordFile = passwordFileOf(settings.name);
  plan.passwordFolder = plan.passwordFile.substr(0, plan.passwordFile.rfind(L'\\'));
  plan.passwordFolderAccess = kPasswordFolderAccess;
  return plan;
}

EventEntry eventEntryFor(ServiceEvent event, const std::string& name, const std::string& detail) {
  struct Kind {
    WORD type;
    const char* text;
    bool detailed;  // whether the tool's last message says more
  };
  static const Kind kinds[] = {
      {EVENTLOG_INFORMATION_TYPE, "starting", false},
      {EVENTLOG_INFORMATION_TYPE, "running", true},
      {EVENTLOG_INFORMATION_TYPE, "asked to stop", false},
      {EVENTLOG_INFORMATION_TYPE, "stopped", true},
      {EVENTLOG_WARNING_TYPE, "stopped, its engine ended by force", true},
      {EVENTLOG_ERROR_TYPE, "failed: its engine ended unasked", true},
      {EVENTLOG_ERROR_TYPE, "failed to start", true},
  };
  const Kind& kind = kinds[static_cast<int>(event)];
  std::string text = "Service " + serviceNameOf(name) + " " + kind.text;
  if (kind.detailed && !detail.empty()) text += ": " + detail;
  return EventEntry{kind.type, static_cast<DWORD>(event) + 1, wideText(text)};
}

ServiceChange registerService(const ServiceSettings& settings, const std::string& password,
                              std::string* error) {
  const ServicePlan plan = planService(settings);
  ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (!manager.valid()) return refusal(GetLastError(), error);
  ServiceHandle service(OpenServiceW(manager.get(), plan.serviceName.c_str(), SERVICE_ALL_ACCESS));
  const bool existing = service.valid();
  if (existing && holds(service.get(), plan, password)) return ServiceChange::kUnchanged;
  if (!existing)
    service.reset(CreateServiceW(manager.get(), plan.serviceName.c_str(), plan.displayName.c_str(),
                                 SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, plan.startType,
                                 SERVICE_ERROR_NORMAL, plan.binaryPath.c_str(), nullptr, nullptr,
                                 nullptr, nullptr, nullptr));
  else if (!ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, plan.startType,
                                 SERVICE_NO_CHANGE, plan.binaryPath.c_str(), nullptr, nullptr,
                                 nullptr, nullptr, nullptr, plan.displayName.c_str()))
    return refusal(GetLastError(), error);
  if (!service.valid()) return refusal(GetLastError(), error);
  DWORD failed = applyServiceConfig(service.get(), plan);
  if (failed == NO_ERROR) failed = storePassword(plan, password);
  if (failed == NO_ERROR) failed = writeRegistryValues(plan.eventSourceKey, plan.eventSource);
  if (failed == NO_ERROR) return existing ? ServiceChange::kUpdated : ServiceChange::kCreated;
  // A new registration that is not whole is none at all.
  if (!existing) DeleteService(service.get());
  return refusal(failed, error);
}

ServiceChange unregisterService(const std::string& name, bool* stopped, std::string* error) {
  const std::wstring serviceName = wideText(serviceNameOf(name));
  ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager.valid()) return refusal(GetLastError(), error);
  ServiceHandle service(OpenServiceW(manager.get(), serviceName.c_str(),
                                     SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
  if (!service.valid() && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST)
    return ServiceChange::kNotRegistered;
  if (!service.valid()) return refusal(GetLastError(), error);
  ServiceSettings settings;
  settings.shutdownSeconds = 30;
  std::string ignored;
  readServiceSettings(name, &settings, &ignored);
  *stopped = stopRunning(service.get(), stopAllowanceMilliseconds(settings.shutdownSeconds));
  if (!DeleteService(service.get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE)
    return refusal(GetLastError(), error);
  DeleteFileW(passwordFileOf(name).c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, eventSourceKeyOf(serviceName).c_str());
  return ServiceChange::kRemoved;
}
