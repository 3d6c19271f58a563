// The repository descriptor "vexa_config.xml" in the data folder: every
// element named "instance" below its root element describes one repository
// by its attributes.
//
// The XML library must be initialised by the caller. Nothing here prints or
// throws: a descriptor that is missing, unreadable, malformed or hostile
// reads as one that does not hold the repository.
#pragma once

#include <string>

struct RepositoryInstance {
  std::string host;
  int port = 0;
  std::string vexaHost;
  int vexaPort = 0;
  std::string vexaListeningHost;
  std::string path;
};

// Fills `instance` from the instances named `name`, later ones overwriting
// what earlier ones supplied; true when one of them has a "port".
//
// With `lookupOnly` clear, the first matching instance that has a "port" is
// removed and the descriptor rewritten; the outputs are filled the same way
// up to that instance. The rewrite replaces the file in one step, so a
// failure leaves the old descriptor whole; the result is true once the
// element is removed, whether or not the write succeeded. The rewritten file
// holds the root element alone, in UTF-8.
bool findRepositoryInstance(const std::string& toolFolder, const std::string& name,
                            RepositoryInstance& instance, bool lookupOnly);
