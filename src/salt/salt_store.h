// The installation's salt scripts, which alone touch the secure store: the
// plumbing that import and export share. The scripts lie in the vexa folder
// and their exit code (0 or not) is the only verdict; nothing here prints.
//
// A salt's name and file, and the script argument, reach the interpreter
// unquoted. One that holds command syntax (holdsCommandSyntax) or a zero byte
// is never handed to it: that salt fails as a failed script would.
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

enum class SaltDirection { kImport, kExport };

// One direction's script and the paths that begin each of its calls, made
// once for a run over many salts: each is a lookup of a short name.
struct SaltMove {
  std::string script;
  std::vector<std::string> leadingArguments;
};
SaltMove saltMove(const std::string& toolFolder, SaltDirection direction);

// Moves one salt into or out of the store; false when the script failed or
// the salt's texts could not be handed to it.
bool moveSalt(const std::string& toolFolder, const SaltMove& move,
              const std::string& scriptArgument, const SaltEntry& entry);

// The entries of a salt index ("name=file" lines), each file prefixed with
// the index's folder. Empty when the path has no folder or cannot be read.
std::vector<SaltEntry> readSaltIndex(const std::string& indexPath);

// The salts that the listing script names in "saltListFile.txt" in
// `exportFolder`, one a line, blanks around a name dropped and empty lines
// skipped; the list file is removed once read. A failed listing gives no
// entries and leaves the list file as the script left it.
std::vector<SaltEntry> listSalts(const std::string& toolFolder, const std::string& exportFolder);
