#include "config/settings.h"

#include "config/narrow_text.h"
#include "platform/system.h"
#include "util/numbers.h"
#include "util/text.h"
#include "util/trace.h"

#include <fstream>

std::string getSettingsPath(const std::string& folder) {
  return folder + kPathSeparator + "zerin.cfg";
}

bool readConfigFile(ConfigSettings& settings, const std::string& folder) {
  std::string path = getSettingsPath(folder);
  std::ifstream file(path);
  trace("settings file %s: %s", path.c_str(), file.is_open() ? "read" : "none, defaults kept");
  bool held = true;
  std::istringstream text = narrowFileText(file, &held);
  std::string line;
  while (std::getline(text, line)) parseConfigLine(settings, line);
  return held;
}

void parseConfigLine(ConfigSettings& settings, const std::string& line) {
  std::string entry = trimmed(line);
  if (entry.empty() || entry[0] == '#') return;
  entry = entry.substr(0, entry.find('#'));
  size_t comma = entry.find(',');
  if (comma == std::string::npos) return;
  std::string key = trimmed(entry.substr(0, comma));
  std::string value = trimmed(entry.substr(comma + 1));

  if (key == "repository_data_directory") {
    settings.repositoryDataDirectory = stripQuotes(value);
  } else if (key == "timeout") {
    settings.timeout = parseInteger(value);
  } else if (key == "repository_timeout") {
    settings.repositoryTimeout = parseInteger(value);
  } else if (key == "concurrency") {
    settings.concurrency = parseInteger(value);
  }
}
