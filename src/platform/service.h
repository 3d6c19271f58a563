// A repository's service kept by the system's service manager: on Windows
// the service "zerinctl-NAME" of the Service Control Manager, registered,
// removed and run here; on POSIX nothing (kServiceManager is false, and
// systemd's unit zerinctl@NAME does that work with "-run").
//
// Nothing here prints. Every operation returns an outcome; a failure leaves
// the system's reason in `error`. The password travels only through these
// calls and the protected store, never through a command line.
#pragma once

#include <string>

// Whether this platform has a service manager that the tool registers with.
extern const bool kServiceManager;

enum class StartType { kAuto, kDelayed, kDemand };

// What a registration keeps beside the service's own configuration.
struct ServiceSettings {
  std::string name;        // the repository's name
  std::string toolPath;    // the tool's executable, which the service runs
  std::string toolFolder;  // the installation the service runs in
  std::string engineUser;
  int shutdownSeconds = 0;  // how long a shut-down engine may take to end
  StartType start = StartType::kAuto;
};

// "zerinctl-NAME": the service's name for a repository.
std::string serviceNameOf(const std::string& name);

// kNoRight: the caller may not create, change or remove services (not an
// administrator); the others say what became of the registration.
enum class ServiceChange {
  kCreated,
  kUpdated,
  kUnchanged,
  kRemoved,
  kNotRegistered,
  kNoRight,
  kFailed
};

// Registers the service, or brings an existing registration to `settings`
// and the password: kUnchanged when both were already so, and then nothing
// is written. The password goes into the protected store.
ServiceChange registerService(const ServiceSettings& settings, const std::string& password,
                              std::string* error);

// Stops the running service through the manager, waiting up to its shutdown
// bound and a margin (`stopped` tells whether it ran and has stopped), then
// removes the registration, its stored password and its event source.
ServiceChange unregisterService(const std::string& name, bool* stopped, std::string* error);

// Inside the service: its settings and its password as registered.
bool readServiceSettings(const std::string& name, ServiceSettings* settings, std::string* error);
bool loadServicePassword(const std::string& name, std::string* password, std::string* error);

// What runAsService makes of the service's run.
enum class ServiceRun { kServed, kNotFromManager, kFailed };

// Hands the process to the service dispatcher, which runs `body` as the
// service `serviceNameOf(name)`: "start pending" with checkpoints until the
// engine first answers, "running", the stop controls turned into the stop
// request of "-run", "stopped" with exit code 0 when `body` returns 0 and
// with a service-specific code otherwise, and an event log entry at each
// step. Returns once the service has stopped. kNotFromManager when the
// process was not started by the manager (from a console, say).
ServiceRun runAsService(const std::string& name, int (*body)(const std::string& name),
                        std::string* error);
