// The repository descriptor "vexa_config.xml" in the data folder, read:
// every element named "instance" below its root element describes one
// repository by its attributes. Its rewriting is descriptor_rewriter.h's.
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

// The descriptor of `toolFolder`'s installation (the data folder that its
// settings file names), looked up as lookUpRepositoryInstance looks it up.
bool findRepositoryInstance(const std::string& toolFolder, const std::string& name,
                            RepositoryInstance& instance);
