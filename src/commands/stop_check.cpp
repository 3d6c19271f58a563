#include "commands/stop_check.h"

#include "commands/preconditions.h"
#include "control/service_messages.h"
#include "util/output.h"
#include "util/status.h"

int stopRepository(const std::string& toolFolder, const std::string& name, const std::string&,
                   const std::string&) {
  RepositoryInstance instance;
  if (!lookUpRepository(toolFolder, name, instance)) return kFailure;
  if (!checkLocalServices(instance)) return kFailure;
  // A service elsewhere whose database is here: nothing of it to stop.
  if (instance.vexaHost == kLocalhost) shutdownService(instance.vexaHost, instance.vexaPort);
  return kSuccess;
}

int stopServiceDirect(const std::string&, const std::string&, const std::string&,
                      const std::string& host, int port, const std::string& connectionFile) {
  if (!connectionFileReadable(connectionFile)) return kFailure;
  if (host == kLocalhost)
    shutdownService(host, port);
  else
    printOut("Can not stop localhost Vexa web service\n");
  return kSuccess;
}

int checkRepository(const std::string& toolFolder, const std::string& name, const std::string&,
                    const std::string&) {
  RepositoryInstance instance;
  if (!lookUpRepository(toolFolder, name, instance)) return kFailure;
  return pingService(instance.vexaHost, instance.vexaPort);
}

int checkServiceDirect(const std::string&, const std::string&, const std::string&,
                       const std::string& host, int port, const std::string& connectionFile) {
  if (!connectionFileReadable(connectionFile)) return kFailure;
  return pingService(host, port);
}
