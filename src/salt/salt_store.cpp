#include "salt/salt_store.h"

#include "config/folders.h"
#include "config/narrow_text.h"
#include "platform/process.h"
#include "platform/script_syntax.h"
#include "platform/system.h"
#include "process/script_runner.h"
#include "util/text.h"
#include "util/trace.h"

#include <cstdio>
#include <fstream>

namespace {

const char kListFile[] = "saltListFile.txt";

// The vexa folder and the two templates that every salt script begins with.
std::vector<std::string> storePaths(const std::string& toolFolder) {
  return {shortPath(quotedJoin(toolFolder, "vexa")),
          shortPath(quotedJoin(toolFolder, kSoPinTemplate)),
          shortPath(quotedJoin(toolFolder, kVexaIniTemplate))};
}

std::vector<SaltEntry> readListFile(const std::string& path) {
  std::vector<SaltEntry> entries;
  std::ifstream list(path);
  trace("list file %s%s", path.c_str(), list.good() ? "" : ": cannot be read");
  if (!list.good()) return entries;
  std::istringstream text = narrowFileText(list);
  std::string line;
  while (std::getline(text, line)) {
    trimLeft(trimRight(line));
    if (line.empty()) continue;
    entries.push_back({line, line + ".txt"});
    trace("listed salt \"%s\"", line.c_str());
  }
  return entries;
}

}  // namespace

bool runSaltScript(const std::string& toolFolder, const std::string& scriptName,
                   const std::vector<std::string>& arguments) {
  std::string script = shortPath(getVexaPath(toolFolder, scriptName.c_str()));
  ScriptArguments parameters;
  for (const std::string& argument : arguments) parameters.add(" " + argument);

  return withToolSearchPath(searchPathForm(stripQuotes(quotedJoin(toolFolder, "vexa"))),
                            SearchPathVariant::kSaltScript,
                            [&] { return runScript(script, parameters, false); }) == 0;
}

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

SaltMove saltMove(const std::string& toolFolder, SaltDirection direction) {
  SaltMove move{scriptFileName(direction == SaltDirection::kImport ? "importsalt" : "exportsalt"),
                storePaths(toolFolder)};
  // The export has an empty text where the import has the Valid-SOPIN
  // template; the interpreter reads the two spaces around it as one.
  move.leadingArguments.push_back(direction == SaltDirection::kImport
                                      ? shortPath(quotedJoin(toolFolder, kValidSoPinTemplate))
                                      : "");
  return move;
}

bool moveSalt(const std::string& toolFolder, const SaltMove& move,
              const std::string& scriptArgument, const SaltEntry& entry) {
  if (!staysArguments({entry.name, entry.file, scriptArgument})) return false;
  std::vector<std::string> arguments = move.leadingArguments;
  arguments.insert(arguments.end(), {entry.name, entry.file, scriptArgument});
  return runSaltScript(toolFolder, move.script, arguments);
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
  std::istringstream text = narrowFileText(index);
  std::string line;
  while (std::getline(text, line)) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    entries.push_back({line.substr(0, equals), folder + line.substr(equals + 1)});
    trace("index entry: name \"%s\", file \"%s\"", entries.back().name.c_str(),
          entries.back().file.c_str());
  }
  return entries;
}

std::vector<SaltEntry> listSalts(const std::string& toolFolder, const std::string& exportFolder) {
  // The script gets the path quoted when it holds a blank; the tool opens it plain.
  const std::string listArgument = quotedJoin(exportFolder, kListFile);
  std::vector<std::string> arguments = storePaths(toolFolder);
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
