// Starts the engine as a detached process that outlives the tool.
#pragma once

#include <string>

// Starts `executablePath` with `arguments` (the program's own name not
// included) in `workingFolder`, in a console of its own or in none. Never
// waits for it. False when the system refused the start; "[error] " and the
// system's reason (or "<unknown>") have then been printed.
bool launchProcess(const std::string& executablePath, const std::string& arguments,
                   const std::string& workingFolder, bool ownConsole);
