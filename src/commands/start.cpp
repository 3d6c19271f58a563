#include "commands/start.h"

#include "commands/preconditions.h"
#include "config/folders.h"
#include "config/settings.h"
#include "platform/process.h"
#include "platform/system.h"
#include "process/database.h"
#include "process/launcher.h"
#include "process/script_runner.h"
#include "util/output.h"
#include "util/status.h"

int startRepository(const std::string& toolFolder, const std::string& name, const std::string& user,
                    const std::string& password, bool debug) {
  RepositoryInstance instance;
  if (!lookUpRepository(toolFolder, name, instance)) return kFailure;
  if (!checkLocalServices(instance)) return kFailure;
  if (instance.host == kLocalhost && instance.path.empty() &&
      startDatabaseServer(toolFolder, debug) == kFailure)
    return kFailure;
  // Only the database was ours to start; the service runs elsewhere.
  if (instance.vexaHost != kLocalhost) return kFailure;
  std::string configFile = instance.path.empty()
                               ? getRepositoriesPath(toolFolder, name) + kPathSeparator + "vexa.ini"
                               : instance.path;
  setEngineCredentials(user, password);
  return launchService(toolFolder, configFile, instance.vexaListeningHost, instance.vexaPort,
                       debug);
}

int startServiceDirect(const std::string& toolFolder, const std::string& user,
                       const std::string& password, const std::string& host, int port, bool debug,
                       const std::string& connectionFile) {
  if (!connectionFileReadable(connectionFile)) return kFailure;
  setEngineCredentials(user, password);
  return launchService(toolFolder, connectionFile, host, port, debug);
}

int launchService(const std::string& toolFolder, const std::string& configFile,
                  const std::string& host, int port, bool debug) {
  ConfigSettings settings;
  readConfigFile(settings, toolFolder);
  // Two blanks before -d and one after it: the engine's own parser is used
  // to exactly this text.
  std::string parameters = " -c " + shortPath(configFile) + " -t http://" + host + ":" +
                           std::to_string(port) +
                           "/?concurrency=" + std::to_string(settings.concurrency) + " " + " -d ";
  std::string executable = getVexaPath(toolFolder,
                                       (std::string("vexa") + kExecutableSuffix).c_str());
  std::string workingFolder = getDataFolder(toolFolder) + kPathSeparator + "tmp";

  printOut("Starting Zerin service...\n");
  printOut("Exe Path = %s\n", executable.c_str());
  printOut(", Parameters=%s\n", parameters.c_str());
  printOut("TmpDir = %s\n", workingFolder.c_str());

  withToolSearchPath(toolFolder, SearchPathVariant::kServiceLaunch,
                     [&] { return launchProcess(executable, parameters, workingFolder, debug); });
  return kSuccess;
}
