// The repository descriptor rewritten: the removal of a repository's
// instance, as the delete asks for it. The file is replaced in one step or
// not at all; the XML library must be initialised by the caller, and
// nothing here prints or throws.
#pragma once

#include "config/descriptor.h"

#include <string>

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
