#include "commands/stop_check.h"

#include "config/connection_file.h"
#include "config/text.h"
#include "control/service_messages.h"

namespace {

const char kLocalhost[] = "localhost";

// Prints the not-found message itself, as every by-name command does.
bool lookUpRepository(const std::string& toolFolder, const std::string& name,
                      RepositoryInstance& instance) {
  if (findRepositoryInstance(toolFolder, name, instance, true)) return true;
  printOut("Cannot find repository details\n");
  return false;
}

// The connection file is only a precondition; its string goes unused.
bool connectionFileReadable(const std::string& connectionFile) {
  std::string connectionString;
  return readConnectionString(connectionFile, connectionString) == 0;
}

}  // namespace

bool checkLocalServices(const RepositoryInstance& instance) {
  if (instance.vexaHost != kLocalhost && (instance.host != kLocalhost || !instance.path.empty())) {
    printOut("Error - no local services to stop\n");
    return false;
  }
  return true;
}

int stopRepository(const std::string& toolFolder, const std::string& name, const std::string&,
                   const std::string&) {
  RepositoryInstance instance;
  if (!lookUpRepository(toolFolder, name, instance)) return -1;
  if (!checkLocalServices(instance)) return -1;
  // A service elsewhere whose database is here: nothing of it to stop.
  if (instance.vexaHost == kLocalhost) shutdownService(instance.vexaHost, instance.vexaPort);
  return 0;
}

int stopServiceDirect(const std::string&, const std::string&, const std::string&,
                      const std::string& host, int port, const std::string& connectionFile) {
  if (!connectionFileReadable(connectionFile)) return -1;
  if (host == kLocalhost)
    shutdownService(host, port);
  else
    printOut("Can not stop localhost Vexa web service\n");
  return 0;
}

int checkRepository(const std::string& toolFolder, const std::string& name, const std::string&,
                    const std::string&) {
  RepositoryInstance instance;
  if (!lookUpRepository(toolFolder, name, instance)) return -1;
  return pingService(instance.vexaHost, instance.vexaPort) == 0 ? 0 : -1;
}

int checkServiceDirect(const std::string&, const std::string&, const std::string&,
                       const std::string& host, int port, const std::string& connectionFile) {
  if (!connectionFileReadable(connectionFile)) return -1;
  return pingService(host, port) == 0 ? 0 : -1;
}
