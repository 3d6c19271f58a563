#include "config/settings.h"

#include "config/narrow_text.h"
#include "platform/system.h"
#include "util/numbers.h"
#include "util/text.h"
#include "util/trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

std::string getSettingsPath(const std::string& folder) {
  return folder + kPathSeparator + "zerin.cfg";
}

namespace {

// The whole file in `content`; false with the system's reason (empty when
// there is no file at all) when it cannot be opened or read. One open tells
// a missing file from an unreadable one, with no probe before it.
bool readWhole(const std::string& path, std::string* content, std::string* reason) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) {
    if (errno != ENOENT && errno != ENOTDIR) *reason = std::strerror(errno);
    return false;
  }
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content->append(buffer, got);
  bool read = !std::ferror(file);
  if (!read) *reason = std::strerror(errno);
  std::fclose(file);
  return read;
}

}  // namespace

SettingsRead readConfigFile(ConfigSettings& settings, const std::string& folder) {
  std::string path = getSettingsPath(folder), content;
  SettingsRead outcome;
  if (!readWhole(path, &content, &outcome.unreadable)) {
    trace("settings file %s: %s, defaults kept", path.c_str(),
          outcome.unreadable.empty() ? "none" : outcome.unreadable.c_str());
    return outcome;
  }
  trace("settings file %s: read", path.c_str());
  std::istringstream text(narrowFromFile(content, &outcome.held));
  std::string line;
  while (std::getline(text, line)) parseConfigLine(settings, line);
  return outcome;
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
