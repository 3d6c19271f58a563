#include "commands/salts.h"

#include "config/folders.h"
#include "salt/salt_store.h"
#include "util/output.h"
#include "util/status.h"
#include "util/text.h"

#include <fstream>

namespace {

void reportImportFailure(const std::string& name) {
  printOut("Import salt %s failed, you can check your secure store is there exist an salt with "
           "same name.\n",
           name.c_str());
}

void reportExportFailure(const std::string& name) {
  printOut("Export salt %s failed.\n", name.c_str());
}

}  // namespace

int importSalt(const std::string& toolFolder, const std::string& scriptArgument,
               const std::string& name, const std::string& file) {
  if (!moveSalt(toolFolder, saltMove(toolFolder, SaltDirection::kImport), scriptArgument,
                {name, file})) {
    reportImportFailure(name);
    return kWrongUsage;
  }
  printOut("Import salt finished.\n");
  return kSuccess;
}

int importAllSalts(const std::string& toolFolder, const std::string& scriptArgument,
                   const std::string& indexPath) {
  const SaltMove move = saltMove(toolFolder, SaltDirection::kImport);
  int status = kSuccess;
  // One failed salt never keeps the others out of the store.
  for (const SaltEntry& entry : readSaltIndex(indexPath)) {
    if (moveSalt(toolFolder, move, scriptArgument, entry)) continue;
    reportImportFailure(entry.name);
    status = kWrongUsage;
  }
  printOut("Import salt finished.\n");
  return status;
}

int exportSalt(const std::string& toolFolder, const std::string& scriptArgument,
               const std::string& name, const std::string& file) {
  if (!moveSalt(toolFolder, saltMove(toolFolder, SaltDirection::kExport), scriptArgument,
                {name, file})) {
    reportExportFailure(name);
    return kWrongUsage;
  }
  printOut("Export salt finished.\n");
  return kSuccess;
}

int exportAllSalts(const std::string& toolFolder, const std::string& scriptArgument,
                   const std::string& exportFolder) {
  std::vector<SaltEntry> entries = listSalts(toolFolder, exportFolder);
  std::ofstream index(stripQuotes(quotedJoin(exportFolder, "vexaexportSaltIndex.txt")));
  // Such a folder was never listed: the store's salts stayed where they are,
  // which is a failure, not an empty store.
  int status = staysArguments({exportFolder}) ? kSuccess : kWrongUsage;
  const SaltMove move = saltMove(toolFolder, SaltDirection::kExport);
  for (const SaltEntry& entry : entries) {
    if (moveSalt(toolFolder, move, scriptArgument,
                 {entry.name, quotedJoin(exportFolder, entry.file)})) {
      // An index that could not be opened costs only its lines.
      if (index.good()) index << entry.name << '=' << entry.file << '\n';
    } else {
      reportExportFailure(entry.name);
      status = kWrongUsage;
    }
  }
  index.close();
  printOut("Export salt finished.\n");
  return status;
}
