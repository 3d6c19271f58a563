// Whether the system's service manager keeps a repository's service, as
// "-list" shows it: on Windows the service "zerinctl-NAME" registered with
// the Service Control Manager, on POSIX the systemd unit "zerinctl@NAME"
// enabled. Nothing here prints or changes anything; a manager that cannot
// be asked leaves `known` false for every name.
#pragma once

#include <string>
#include <vector>

struct ServiceRegistration {
  // False where the host has no service manager the tool knows (POSIX
  // without systemd as its init) or the manager could not be asked.
  bool known = false;
  // Windows: the service is registered. POSIX: the unit is enabled.
  bool enabled = false;
  // Windows, when registered: "auto", "delayed", "demand" or "disabled".
  // Empty on POSIX.
  std::string start;
};

// One answer per name (UTF-8 repository names), in the same order, asked of
// the manager at once rather than one name after another.
std::vector<ServiceRegistration> queryServiceRegistrations(const std::vector<std::string>& names);
