#include "commands/service.h"

#include "commands/preconditions.h"
#include "commands/run.h"
#include "config/folders.h"
#include "platform/environment.h"
#include "platform/service.h"
#include "platform/system.h"
#include "util/log_file.h"
#include "util/output.h"
#include "util/status.h"

namespace {

struct StartWord {
  const char* word;
  StartType start;
};
const StartWord kStartWords[] = {
    {"auto", StartType::kAuto}, {"delayed", StartType::kDelayed}, {"demand", StartType::kDemand}};

// What a system without the Service Control Manager does instead.
int notHere(const std::string& name) {
  printOut("Windows services are not kept here: systemd keeps a repository's service through "
           "the unit zerinctl@%s (systemctl enable --now zerinctl@%s)\n",
           name.c_str(), name.c_str());
  return kWrongUsage;
}

int refused(ServiceChange change, const char* what, const std::string& error) {
  if (change == ServiceChange::kNoRight)
    printOut("%s a service needs the right to change the Service Control Manager's services: run "
             "as an administrator (%s)\n",
             what, error.c_str());
  else
    printOut("%s the service failed: %s\n", what, error.c_str());
  return kFailure;
}

std::string toolPath(const std::string& toolFolder) {
  std::string path;
  return executablePath(&path) ? path : toolFolder + kPathSeparator + "zerinctl.exe";
}

std::string logPath(const std::string& toolFolder, const std::string& name) {
  return getDataFolder(toolFolder) + kPathSeparator + "logs" + kPathSeparator + name + ".log";
}

std::string toolFolderOfService;

// The service's own run, on the dispatcher's thread for it: what "-run"
// runs, with what the registration keeps, its messages in the log.
int runRegistered(const std::string& name) {
  openLog(logPath(toolFolderOfService, name));
  setConsoleWriter(writeLog);
  ServiceSettings settings;
  std::string password, error;
  if (!readServiceSettings(name, &settings, &error) ||
      !loadServicePassword(name, &password, &error)) {
    printOut("Service %s cannot start: %s\n", serviceNameOf(name).c_str(), error.c_str());
    return kFailure;
  }
  setEnvironment("ZERINCTL_SHUTDOWN_TIMEOUT", std::to_string(settings.shutdownSeconds));
  return runRepository(settings.toolFolder, name, settings.engineUser, password);
}

}  // namespace

int registerRepository(const std::string& toolFolder, const std::string& name,
                       const std::string& user, const std::string& password,
                       const std::string& start) {
  if (!kServiceManager) return notHere(name);
  ServiceSettings settings{name, toolPath(toolFolder), toolFolder, user, shutdownSeconds()};
  const StartWord* chosen = nullptr;
  for (const StartWord& word : kStartWords)
    if (start == word.word) chosen = &word;
  if (chosen == nullptr) {
    printOut("The start type must be auto, delayed or demand, not %s\n", start.c_str());
    return kWrongUsage;
  }
  settings.start = chosen->start;
  RepositoryInstance instance;
  if (!lookUpRepository(toolFolder, name, instance)) return kFailure;

  std::string error;
  const std::string service = serviceNameOf(name);
  const ServiceChange change = registerService(settings, password, &error);
  switch (change) {
    case ServiceChange::kCreated:
      printOut("Service %s registered (start %s)\n", service.c_str(), chosen->word);
      return kSuccess;
    case ServiceChange::kUpdated:
      printOut("Service %s updated (start %s)\n", service.c_str(), chosen->word);
      return kSuccess;
    case ServiceChange::kUnchanged:
      printOut("Service %s is registered with these settings already: unchanged\n",
               service.c_str());
      return kSuccess;
    default:
      return refused(change, "Registering", error);
  }
}

int unregisterRepository(const std::string&, const std::string& name) {
  if (!kServiceManager) return notHere(name);
  const std::string service = serviceNameOf(name);
  bool stopped = false;
  std::string error;
  ServiceChange change = unregisterService(name, &stopped, &error);
  if (stopped) printOut("Service %s stopped\n", service.c_str());
  if (change == ServiceChange::kNotRegistered) {
    printOut("Service %s is not registered\n", service.c_str());
    return kSuccess;
  }
  if (change != ServiceChange::kRemoved) return refused(change, "Removing", error);
  printOut("Service %s unregistered\n", service.c_str());
  return kSuccess;
}

int serveRepository(const std::string& toolFolder, const std::string& name) {
  if (!kServiceManager) return notHere(name);
  toolFolderOfService = toolFolder;
  std::string error;
  switch (runAsService(name, runRegistered, &error)) {
    case ServiceRun::kServed:
      return kSuccess;
    case ServiceRun::kNotFromManager:
      printOut("-service is run by the Service Control Manager, not from a console: start the "
               "service with \"sc start %s\" or \"net start %s\", or run the repository in this "
               "console with -run\n",
               serviceNameOf(name).c_str(), serviceNameOf(name).c_str());
      return kFailure;
    default:
      printOut("Service %s could not reach the Service Control Manager: %s\n",
               serviceNameOf(name).c_str(), error.c_str());
      return kFailure;
  }
}
