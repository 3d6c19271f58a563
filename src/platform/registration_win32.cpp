// Asks the Service Control Manager, through one connection, which
// repositories have a registered service and how each starts.
#include "platform/registration.h"

#include "platform/service_store_win32.h"

namespace {

std::string startOf(const RegisteredConfig& config) {
  switch (config.startType) {
    case SERVICE_AUTO_START:
    case SERVICE_BOOT_START:
    case SERVICE_SYSTEM_START:
      return config.delayedAutoStart ? "delayed" : "auto";
    case SERVICE_DEMAND_START:
      return "demand";
    default:
      return "disabled";
  }
}

}  // namespace

std::vector<ServiceRegistration> queryServiceRegistrations(const std::vector<std::string>& names) {
  std::vector<ServiceRegistration> answers(names.size());
  ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager.valid()) return answers;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::wstring serviceName = wideText(serviceNameOf(names[i]));
    ServiceHandle service(OpenServiceW(manager.get(), serviceName.c_str(), SERVICE_QUERY_CONFIG));
    RegisteredConfig config;
    // A name the manager cannot hold (a backslash, say) was never registered.
    const DWORD refusal = service.valid() ? ERROR_SUCCESS : GetLastError();
    answers[i].known = refusal == ERROR_SUCCESS || refusal == ERROR_SERVICE_DOES_NOT_EXIST ||
                       refusal == ERROR_INVALID_NAME;
    answers[i].enabled = service.valid() &&
                         readRegisteredConfig(service.get(), serviceName, &config);
    if (answers[i].enabled) answers[i].start = startOf(config);
  }
  return answers;
}
