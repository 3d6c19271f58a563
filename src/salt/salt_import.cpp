#include "salt/salt_import.h"

#include "commands/status.h"
#include "config/folders.h"
#include "platform/process.h"
#include "platform/script_syntax.h"
#include "platform/system.h"
#include "process/script_runner.h"
#include "util/output.h"
#include "util/trace.h"

#include <fstream>

namespace {

// The four arguments every import begins with, made once per run.
std::vector<std::string> importArguments(const std::string& toolFolder) {
  return {shortPath(quotedJoin(toolFolder, "vexa")),
          shortPath(quotedJoin(toolFolder, soPinTemplate)),
          shortPath(quotedJoin(toolFolder, vexaIniTemplate)),
          shortPath(quotedJoin(toolFolder, validSoPinTemplate))};
}

bool importOne(const std::string& toolFolder, std::vector<std::string> arguments,
               const std::string& scriptArgument, const SaltEntry& entry) {
  if (!staysArguments({entry.name, entry.file, scriptArgument})) return false;
  arguments.insert(arguments.end(), {entry.name, entry.file, scriptArgument});
  return runSaltScript(toolFolder, scriptFileName("importsalt"), arguments);
}

void reportImportFailure(const std::string& name) {
  printOut("Import salt %s failed, you can check your secure store is there exist an salt with "
           "same name.\n",
           name.c_str());
}

}  // namespace

bool staysArguments(const std::vector<std::string>& texts) {
  // A zero byte (from a file) would silently cut the command line short and
  // leave the script without its later arguments.
  for (const std::string& text : texts) {
    if (holdsCommandSyntax(text) || text.find('\0') != std::string::npos) {
      trace("\"%s\" holds command syntax: not handed to %s", text.c_str(),
            kScriptInterpreter.program);
      return false;
    }
  }
  return true;
}

bool runSaltScript(const std::string& toolFolder, const std::string& scriptName,
                   const std::vector<std::string>& arguments) {
  std::string vexaFolder = quotedJoin(toolFolder, "vexa");
  std::string script = shortPath(getVexaPath(toolFolder, scriptName.c_str()));
  ScriptArguments parameters;
  for (const std::string& argument : arguments) parameters.add(" " + argument);

  std::string savedPath = setToolSearchPath(searchPathForm(stripQuotes(vexaFolder)),
                                            SearchPathVariant::kSaltScript);
  int exitCode = runScript(script, parameters, false);
  setEnvValue("PATH", savedPath);
  return exitCode == 0;
}

int importSalt(const std::string& toolFolder, const std::string& scriptArgument,
               const std::string& name, const std::string& file) {
  if (!importOne(toolFolder, importArguments(toolFolder), scriptArgument, {name, file})) {
    reportImportFailure(name);
    return kWrongUsage;
  }
  printOut("Import salt finished.\n");
  return kSuccess;
}

int importAllSalts(const std::string& toolFolder, const std::string& scriptArgument,
                   const std::string& indexPath) {
  std::vector<SaltEntry> entries = readSaltIndex(indexPath);
  std::vector<std::string> arguments = importArguments(toolFolder);
  int status = kSuccess;
  // One failed salt never keeps the others out of the store.
  for (const SaltEntry& entry : entries) {
    if (importOne(toolFolder, arguments, scriptArgument, entry)) continue;
    reportImportFailure(entry.name);
    status = kWrongUsage;
  }
  printOut("Import salt finished.\n");
  return status;
}

std::vector<SaltEntry> readSaltIndex(const std::string& indexPath) {
  std::vector<SaltEntry> entries;
  size_t last = indexPath.rfind(kPathSeparator);
  if (last == std::string::npos) {
    trace("salt index %s names no folder: nothing to import", indexPath.c_str());
    return entries;
  }
  const std::string folder = indexPath.substr(0, last + 1);

  std::ifstream index(indexPath);
  trace("salt index %s%s", indexPath.c_str(), index.good() ? "" : ": cannot be read");
  if (!index.good()) return entries;
  // Nothing is trimmed: the export writes the lines exactly so, and a name
  // may begin or end with a blank.
  std::string line;
  while (std::getline(index, line)) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    entries.push_back({line.substr(0, equals), folder + line.substr(equals + 1)});
    trace("index entry: name \"%s\", file \"%s\"", entries.back().name.c_str(),
          entries.back().file.c_str());
  }
  return entries;
}
