// The repository descriptor "vexa_config.xml" in the data folder: every
// element named "instance" below its root element describes one repository
// by its attributes.
//
// The XML library must be initialised by the caller. Nothing here prints or
// throws: a descriptor that is missing, unreadable, malformed or hostile
// reads as one that does not hold the repository.
#pragma once

#include <string>
#include <vector>

struct RepositoryInstance {
  std::string host;
  int port = 0;
  std::string vexaHost;
  int vexaPort = 0;
  std::string vexaListeningHost;
  std::string path;
};

// Fills `instance` from the instances named `name` in the descriptor at
// `descriptor`, later ones overwriting what earlier ones supplied; true when
// one of them has a "port".
bool lookUpRepositoryInstance(const std::string& descriptor, const std::string& name,
                              RepositoryInstance& instance);

// The repositories of a descriptor: their names in UTF-8, exactly as the
// descriptor holds them, and for each the instance
// that a lookup of its name fills (none at all when only names were asked
// for, which keeps a listing of a large descriptor small).
struct RepositoryList {
  std::vector<std::string> names;
  std::vector<RepositoryInstance> instances;
};

// Every repository that a lookup by its name finds, each once, in the order
// of its name's first instance. False when the descriptor cannot be read or
// parsed; `problem` then says why ("is missing or unreadable", "is
// malformed at line 3, column 7", ...).
bool listRepositoryInstances(const std::string& descriptor, bool withInstances,
                             RepositoryList& list, std::string* problem);

enum class Removal {
  kRemoved,       // the descriptor no longer names it
  kNotFound,      // no instance with a port to remove: the file is untouched
  kNotRewritten,  // found, but the file could not be replaced: it is untouched
};

// Under the descriptor's lock, removes the first instance named `name` that
// has a "port" and replaces the file in one step; `instance` is filled as a
// lookup fills it, up to that instance. The rewritten file holds the root
// element alone, in UTF-8. For kNotRewritten, `reason` gets the system's
// text.
Removal removeRepositoryInstance(const std::string& descriptor, const std::string& name,
                                 RepositoryInstance& instance, std::string& reason);

// The descriptor of `toolFolder`'s installation, looked up, or with
// `lookupOnly` clear, the instance removed; true when it was found (and,
// when removing, is gone from the file).
bool findRepositoryInstance(const std::string& toolFolder, const std::string& name,
                            RepositoryInstance& instance, bool lookupOnly);
