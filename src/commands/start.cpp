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

bool prepareServiceStart(const std::string& toolFolder, const std::string& name, bool debug,
                         RepositoryInstance& instance, std::string& configFile) {
  if (!lookUpRepository(toolFolder, name, instance)) return false;
  if (!checkLocalServices(instance)) return false;
  if (instance.host == kLocalhost && instance.path.empty() &&
      startDatabaseServer(toolFolder, debug) == kFailure)
    return false;
  // Only the database was ours to start; the service runs elsewhere.
  if (instance.vexaHost != kLocalhost) return false;
  configFile = instance.path.empty()
                   ? getRepositoriesPath(toolFolder, name) + kPathSeparator + "vexa.ini"
                   : instance.path;
  return true;
}

int startRepository(const std::string& toolFolder, const std::string& name, const std::string& user,
                    const std::string& password, bool debug) {
  RepositoryInstance instance;
  std::string configFile;
  if (!prepareServiceStart(toolFolder, name, debug, instance, configFile)) return kFailure;
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

EngineStart describeEngineStart(const std::string& toolFolder, const std::string& configFile,
                                const std::string& host, int port) {
  ConfigSettings settings;
  readConfigFile(settings, toolFolder);
  EngineStart start;
  // Two blanks before -d and one after it: the engine's own parser is used
  // to exactly this text.
  start.parameters = " -c " + shortPath(configFile) + " -t http://" + host + ":" +
                     std::to_string(port) +
                     "/?concurrency=" + std::to_string(settings.concurrency) + " " + " -d ";
  start.executable = getVexaPath(toolFolder, (std::string("vexa") + kExecutableSuffix).c_str());
  start.workingFolder = getDataFolder(toolFolder) + kPathSeparator + "tmp";

  printOut("Starting Zerin service...\n");
  printOut("Exe Path = %s\n", start.executable.c_str());
  printOut(", Parameters=%s\n", start.parameters.c_str());
  printOut("TmpDir = %s\n", start.workingFolder.c_str());
  return start;
}

int launchService(const std::string& toolFolder, const std::string& configFile,
                  const std::string& host, int port, bool debug) {
  EngineStart start = describeEngineStart(toolFolder, configFile, host, port);
  withToolSearchPath(toolFolder, SearchPathVariant::kServiceLaunch, [&] {
    return launchProcess(start.executable, start.parameters, start.workingFolder, debug);
  });
  return kSuccess;
}
