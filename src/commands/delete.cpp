#include "commands/delete.h"

#include "config/descriptor_rewriter.h"
#include "config/folders.h"
#include "process/database.h"
#include "process/script_runner.h"
#include "util/output.h"
#include "util/status.h"

#include <cstdio>

namespace {

// Only the first character counts; an empty line or the end of the input
// is a no, so that a script without a console never waits here.
bool confirmed() {
  int answer = std::getchar();
  return answer == 'Y' || answer == 'y';
}

void tellWhereTheFilesAre(const std::string& toolFolder, const std::string& name) {
  printOut("Info - please remove repository files from the following directory: \n");
  printOut("\t%s\n", getRepositoriesPath(toolFolder, name).c_str());
  printOut("(Note - you may need to reboot first before you can remove the repository files)\n");
}

}  // namespace

int deleteRepository(const std::string& toolFolder, const std::string& name) {
  printOut("You are about to remove the zerin repository: %s\n", name.c_str());
  printOut("Confirm remove repository (Y/N): ");
  if (!confirmed()) return kFailure;
  printOut("\n");

  const std::string descriptor = getDescriptorPath(toolFolder);
  RepositoryInstance instance;
  std::string reason;
  switch (removeRepositoryInstance(descriptor, name, instance, reason)) {
    case Removal::kNotRewritten:
      // The database must not go while the descriptor still names it: the
      // next start would run an engine on a database that is not there.
      printOut("Error - repository could not be removed from %s: %s\n", descriptor.c_str(),
               reason.c_str());
      return kFailure;
    case Removal::kNotFound:
      printOut("Error - repository was not found: %s\n", name.c_str());
      break;
    case Removal::kRemoved:
      if (instance.path.empty()) tellWhereTheFilesAre(toolFolder, name);
      break;
  }

  std::string script = shortPath(getTemplatesPath(toolFolder,
                                                  scriptFileName("removevexa").c_str()));
  ScriptArguments arguments;
  arguments.add(" " + repositoriesArgument(toolFolder) + " " + name);
  if (!appendRemoteDatabaseCredentials(arguments)) return kFailure;
  return databaseScriptStatus(runScript(script, arguments, false));
}
