// No Service Control Manager here: systemd's unit zerinctl@NAME runs "-run"
// and keeps the repository's service (see systemd/zerinctl@.service).
#include "platform/service.h"

const bool kServiceManager = false;

std::string serviceNameOf(const std::string& name) { return "zerinctl-" + name; }

ServiceChange registerService(const ServiceSettings&, const std::string&, std::string*) {
  return ServiceChange::kFailed;
}

ServiceChange unregisterService(const std::string&, bool*, std::string*) {
  return ServiceChange::kFailed;
}

bool readServiceSettings(const std::string&, ServiceSettings*, std::string*) { return false; }

bool loadServicePassword(const std::string&, std::string*, std::string*) { return false; }

ServiceRun runAsService(const std::string&, int (*)(const std::string&), std::string*) {
  return ServiceRun::kFailed;
}
