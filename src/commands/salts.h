// The "-importsalt" and "-exportsalt" commands: one salt, or every salt of an
// index or of the store, moved through the installation's salt scripts (see
// salt/salt_store.h). Each prints its outcome and returns 0, or -2 when a
// salt failed, which the dispatcher follows with its usage line. A run over
// many salts goes on after a failed one.
#pragma once

#include <string>

int importSalt(const std::string& toolFolder, const std::string& scriptArgument,
               const std::string& name, const std::string& file);

// Imports every entry of the index; 0 when all succeeded or there were none.
int importAllSalts(const std::string& toolFolder, const std::string& scriptArgument,
                   const std::string& indexPath);

int exportSalt(const std::string& toolFolder, const std::string& scriptArgument,
               const std::string& name, const std::string& file);

// Lists the store, exports each salt to "<name>.txt" in `exportFolder` and
// writes "vexaexportSaltIndex.txt" there with one "name=name.txt" line per
// salt exported. The index is emptied first, so after a failed or empty
// listing it is there and empty. A folder holding command syntax is never
// handed to a script: nothing is listed and the result is -2.
int exportAllSalts(const std::string& toolFolder, const std::string& scriptArgument,
                   const std::string& exportFolder);
