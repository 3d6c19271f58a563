// Import of salts into the installation's secure store, and the procedure
// that runs every salt script. The tool never touches a salt itself: the
// scripts in the vexa folder do, and their exit code (0 or not) is the only
// verdict. Each operation prints its own outcome and returns 0 on success or
// -2 (kWrongUsage) on failure, which the dispatcher follows with its usage
// line. Lists of entries belong to the caller and live for one operation.
//
// A salt's name and file, and the script argument, reach the interpreter
// unquoted. One that holds command syntax (holdsCommandSyntax) is never
// handed to it: that salt fails as a failed script would, and a run over
// many salts goes on with the next.
#pragma once

#include <string>
#include <vector>

struct SaltEntry {
  std::string name;  // the salt's name in the secure store
  std::string file;  // its file, as the script receives it
};

// Runs `scriptName` from the vexa folder with `arguments`, each after one
// space and unquoted, with the salt scripts' search path in front of PATH
// for the time of the run. True exactly when the script exits with 0.
bool runSaltScript(const std::string& toolFolder, const std::string& scriptName,
                   const std::vector<std::string>& arguments);

// True when none of `texts` holds command syntax or a zero byte, so that
// they may reach a salt script as its arguments.
bool staysArguments(const std::vector<std::string>& texts);

int importSalt(const std::string& toolFolder, const std::string& scriptArgument,
               const std::string& name, const std::string& file);

// Imports every entry of the index; 0 when all succeeded or there were none.
int importAllSalts(const std::string& toolFolder, const std::string& scriptArgument,
                   const std::string& indexPath);

// The entries of a salt index ("name=file" lines), each file prefixed with
// the index's folder. Empty when the path has no folder or cannot be read.
std::vector<SaltEntry> readSaltIndex(const std::string& indexPath);
