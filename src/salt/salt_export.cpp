#include "salt/salt_export.h"

#include "commands/status.h"
#include "config/folders.h"
#include "config/text.h"
#include "process/script_runner.h"
#include "util/output.h"
#include "util/trace.h"

#include <cstdio>
#include <fstream>

namespace {

const char kListFile[] = "saltListFile.txt";
const char kIndexFile[] = "vexaexportSaltIndex.txt";

// The three paths every export and listing begins with, made once per run.
std::vector<std::string> storeArguments(const std::string& toolFolder) {
  return {shortPath(quotedJoin(toolFolder, "vexa")),
          shortPath(quotedJoin(toolFolder, soPinTemplate)),
          shortPath(quotedJoin(toolFolder, vexaIniTemplate))};
}

// The empty fourth argument stands where the import has its Valid-SOPIN
// template; the interpreter reads the two spaces around it as one.
bool exportOne(const std::string& toolFolder, std::vector<std::string> arguments,
               const std::string& scriptArgument, const SaltEntry& entry) {
  if (!staysArguments({entry.name, entry.file, scriptArgument})) return false;
  arguments.insert(arguments.end(), {"", entry.name, entry.file, scriptArgument});
  return runSaltScript(toolFolder, scriptFileName("exportsalt"), arguments);
}

std::vector<SaltEntry> readListFile(const std::string& path) {
  std::vector<SaltEntry> entries;
  std::ifstream list(path);
  trace("list file %s%s", path.c_str(), list.good() ? "" : ": cannot be read");
  if (!list.good()) return entries;
  std::string line;
  while (std::getline(list, line)) {
    trimLeft(trimRight(line));
    if (line.empty()) continue;
    entries.push_back({line, line + ".txt"});
    trace("listed salt \"%s\"", line.c_str());
  }
  return entries;
}

}  // namespace

int exportSalt(const std::string& toolFolder, const std::string& scriptArgument,
               const std::string& name, const std::string& file) {
  if (!exportOne(toolFolder, storeArguments(toolFolder), scriptArgument, {name, file})) {
    printOut("Export salt %s failed.\n", name.c_str());
    return kWrongUsage;
  }
  printOut("Export salt finished.\n");
  return kSuccess;
}

std::vector<SaltEntry> listSalts(const std::string& toolFolder, const std::string& exportFolder) {
  // The script gets the path quoted when it holds a blank; the tool opens it plain.
  const std::string listArgument = quotedJoin(exportFolder, kListFile);
  std::vector<std::string> arguments = storeArguments(toolFolder);
  arguments.push_back(listArgument);
  if (!staysArguments({listArgument}) ||
      !runSaltScript(toolFolder, scriptFileName("listsalt"), arguments))
    return {};

  const std::string listPath = stripQuotes(listArgument);
  std::vector<SaltEntry> entries = readListFile(listPath);
  // Removing a file that is not there fails harmlessly, which makes a test
  // for it first redundant; the outcome is not wanted either way.
  std::remove(listPath.c_str());
  return entries;
}

int exportAllSalts(const std::string& toolFolder, const std::string& scriptArgument,
                   const std::string& exportFolder) {
  std::vector<SaltEntry> entries = listSalts(toolFolder, exportFolder);
  std::ofstream index(stripQuotes(quotedJoin(exportFolder, kIndexFile)));
  // Such a folder was never listed: the store's salts stayed where they are,
  // which is a failure, not an empty store.
  int status = staysArguments({exportFolder}) ? kSuccess : kWrongUsage;
  std::vector<std::string> arguments = storeArguments(toolFolder);
  for (const SaltEntry& entry : entries) {
    if (exportOne(toolFolder, arguments, scriptArgument,
                  {entry.name, quotedJoin(exportFolder, entry.file)})) {
      // An index that could not be opened costs only its lines.
      if (index.good()) index << entry.name << '=' << entry.file << '\n';
    } else {
      printOut("Export salt %s failed.\n", entry.name.c_str());
      status = kWrongUsage;
    }
  }
  index.close();
  printOut("Export salt finished.\n");
  return status;
}
