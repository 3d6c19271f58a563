// The "-list" command: every repository of the installation, as "-check"
// by name would find it, with whether its service answers.
#pragma once

#include <string>

enum class ListFormat {
  kTable,  // aligned columns under a header, for people
  kJson,   // an array of objects, UTF-8, for scripts
  kNames,  // the names alone, one a line; no service is asked
};

// 0 when the descriptor was read, whatever the services' states; -1, with
// the reason printed, when the settings file or the descriptor cannot be
// read.
int listRepositories(const std::string& toolFolder, ListFormat format);
