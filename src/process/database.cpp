#include "process/database.h"

#include "config/folders.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "platform/script_syntax.h"
#include "process/script_runner.h"
#include "util/output.h"
#include "util/shell_word.h"
#include "util/status.h"

int startDatabaseServer(const std::string& toolFolder, bool showWindow) {
  printOut("Starting Quarra server...\n");
  std::string scriptPath = shortPath(getTemplatesPath(toolFolder,
                                                      scriptFileName("startvexa").c_str()));
  ScriptArguments arguments;
  arguments.add(" " + repositoriesArgument(toolFolder) + " ");
  return databaseScriptStatus(runScript(scriptPath, arguments, showWindow));
}

std::string repositoriesArgument(const std::string& toolFolder) {
  return quotedArgument(getRepositoriesPath(toolFolder, ""));
}

int databaseScriptStatus(int exitCode) {
  if (exitCode == 104) {
    printOut("Not Set Quarra home directory\n");
    return kFailure;
  }
  if (exitCode == 0) {
    printOut("Stating Quarra server failed(ECode: %d)", exitCode);
    return kFailure;
  }
  return kSuccess;
}

bool appendRemoteDatabaseCredentials(ScriptArguments& arguments) {
  std::string node;
  if (!getEnvironment("QUARRANODENAME", &node) || node.empty()) return true;
  std::string user, password;
  getEnvironment("VEXAUSER", &user);
  getEnvironment("VEXAPASSWD", &password);
  if (user.empty()) {
    printOut("Please input quarra username and password to use remote Quarra\n");
    return false;
  }
  // The password must reach the script unchanged whatever it holds; the
  // user name is passed as given.
  if (kScriptInterpreter.escapesWithCarets)
    escapeCarets(password);
  else
    password = shellWord(password);
  arguments.add(" " + user + " ").addSecret(password);
  return true;
}

void escapeCarets(std::string& text) {
  // cmd.exe takes one level of carets when it reads the /C line and another
  // when the script expands its argument.
  for (size_t at = text.find('^'); at != std::string::npos; at = text.find('^', at + 4))
    text.replace(at, 1, "^^^^");
}
