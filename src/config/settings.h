// The installation's settings file "zerin.cfg" in the tool's folder: one
// "key, value" entry a line, "#" comments. The file is optional; whatever it
// does not set keeps its default, and nothing in it is ever reported.
#pragma once

#include <string>

struct ConfigSettings {
  std::string repositoryDataDirectory;  // empty: use the common data folder
  int timeout = 60;
  int repositoryTimeout = 100;
  int concurrency = 5;
};

// How one read of the settings file went, for a caller that needs more than
// the values: the design reads the file anew for each use, so whatever else
// a command wants to know of the file comes from a read it makes anyway.
struct SettingsRead {
  // False when the file holds a character that the tool's narrow code page
  // cannot (see narrowFromFile).
  bool held = true;
  // The system's reason when a file is there but could not be read; empty
  // when it was read or is not there at all.
  std::string unreadable;
};

// Applies every entry of `folder`/zerin.cfg to `settings`, in file order.
// A file that cannot be opened or read leaves `settings` as it was. The file
// is UTF-8, or where it is not valid UTF-8, in the system's legacy code page.
SettingsRead readConfigFile(ConfigSettings& settings, const std::string& folder);

// Where readConfigFile looks for the file.
std::string getSettingsPath(const std::string& folder);

// Applies one line, without its line end.
void parseConfigLine(ConfigSettings& settings, const std::string& line);
