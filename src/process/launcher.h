// Starts the engine: detached, outliving the tool, or as the tool's child.
#pragma once

#include "platform/process.h"

#include <string>

// Starts `executablePath` with `arguments` (the program's own name not
// included) in `workingFolder`, in a console of its own or in none. Never
// waits for it. False when the system refused the start; "[error] " and the
// system's reason (or "<unknown>") have then been printed.
bool launchProcess(const std::string& executablePath, const std::string& arguments,
                   const std::string& workingFolder, bool ownConsole);

// The same start, but of the tool's own child in the tool's console, which
// the tool then waits for (startForeground); the child goes into `child`.
bool launchForeground(const std::string& executablePath, const std::string& arguments,
                      const std::string& workingFolder, ChildProcess* child);
