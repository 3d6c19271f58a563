// The checks that the repository commands share, each printing its own
// message when it fails, so that a command reads as a list of steps.
#pragma once

#include "config/descriptor.h"

#include <string>

// Every comparison with it is exact and case-sensitive: a loopback address in
// digits, or the word in capitals, is not this machine for the commands.
extern const char kLocalhost[];

// Finds the repository in the descriptor (lookup only); false, with
// "Cannot find repository details" printed, when it is not there.
bool lookUpRepository(const std::string& toolFolder, const std::string& name,
                      RepositoryInstance& instance);

// Whether the explicit forms' connection file can be read and has its
// "CONNECTION" line; its value goes unused. Prints the reader's message.
bool connectionFileReadable(const std::string& connectionFile);

// False, with "Error - no local services to stop" printed, when neither the
// repository's service nor its database is on this machine.
bool checkLocalServices(const RepositoryInstance& instance);

// False, with a message naming it, when a command-line word, the tool's
// own path or its settings file holds a character that the narrow code page
// cannot hold (a Windows that ignores the manifest): whatever the tool then
// looked up, started or removed could be another than the one named.
bool namesHeld(const std::string& toolFolder);
