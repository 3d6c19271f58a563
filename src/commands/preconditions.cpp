#include "commands/preconditions.h"

#include "config/connection_file.h"
#include "config/settings.h"
#include "platform/code_page.h"
#include "util/output.h"
#include "util/status.h"

const char kLocalhost[] = "localhost";

bool lookUpRepository(const std::string& toolFolder, const std::string& name,
                      RepositoryInstance& instance) {
  if (findRepositoryInstance(toolFolder, name, instance)) return true;
  printOut("Cannot find repository details\n");
  return false;
}

bool connectionFileReadable(const std::string& connectionFile) {
  std::string connectionString;
  return readConnectionString(connectionFile, connectionString) == kSuccess;
}

bool checkLocalServices(const RepositoryInstance& instance) {
  if (instance.vexaHost != kLocalhost && (instance.host != kLocalhost || !instance.path.empty())) {
    printOut("Error - no local services to stop\n");
    return false;
  }
  return true;
}

bool namesHeld(const std::string& toolFolder) {
  std::string unheld = unheldStartText();
  // UTF-8 holds whatever the settings file says.
  ConfigSettings settings;
  if (unheld.empty() && !narrowTextIsUtf8() && !readConfigFile(settings, toolFolder).held)
    unheld = "the settings file " + getSettingsPath(toolFolder);
  if (unheld.empty()) return true;
  printOut("Cannot use %s: it holds characters that this system's code page %u cannot represent "
           "(shown as <U+...>); nothing was done\n",
           unheld.c_str(), narrowCodePage());
  return false;
}
