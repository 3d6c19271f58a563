// Export of salts out of the installation's secure store: one salt into a
// named file, or every salt that the listing script names into one folder
// together with a salt index that importAllSalts reads back. Scripts and
// their exit codes do the work, as for the import (salt_import.h): each
// operation prints its outcome and returns 0, or -2 when a salt failed.
#pragma once

#include "salt/salt_import.h"

#include <string>
#include <vector>

int exportSalt(const std::string& toolFolder, const std::string& scriptArgument,
               const std::string& name, const std::string& file);

// Lists the store, exports each salt to "<name>.txt" in `exportFolder` and
// writes "vexaexportSaltIndex.txt" there with one "name=name.txt" line per
// salt exported. The index is emptied first, so after a failed or empty
// listing it is there and empty. A folder holding command syntax is never
// handed to a script: nothing is listed and the result is -2.
int exportAllSalts(const std::string& toolFolder, const std::string& scriptArgument,
                   const std::string& exportFolder);

// The salts that the listing script names in "saltListFile.txt" in
// `exportFolder`, one a line, blanks around a name dropped and empty lines
// skipped; the list file is removed once read. A failed listing gives no
// entries and leaves the list file as the script left it.
std::vector<SaltEntry> listSalts(const std::string& toolFolder, const std::string& exportFolder);
