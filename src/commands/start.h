// The "-start" and "-startdebug" commands: start a repository's service, the
// engine, as a detached process that outlives the tool, after the database
// server when the repository's database is on this machine. The debug flag
// shows the database script's window and gives the engine a console.
#pragma once

#include "config/descriptor.h"

#include <string>

// By name: hosts, port and configuration from the descriptor. 0 once the
// launch has been made (a refused launch is reported by its "[error] " line
// only), -1 when the repository is missing, nothing of it is local, its
// database did not start, or its service runs elsewhere.
int startRepository(const std::string& toolFolder, const std::string& name, const std::string& user,
                    const std::string& password, bool debug);

// Explicit: the connection file is the engine's configuration and must have
// its "CONNECTION" line; neither the descriptor nor the database is touched.
int startServiceDirect(const std::string& toolFolder, const std::string& user,
                       const std::string& password, const std::string& host, int port, bool debug,
                       const std::string& connectionFile);

// Prints what it starts, then launches the engine with the tool search path
// in front of PATH and the concurrency of the settings file. Returns 0.
int launchService(const std::string& toolFolder, const std::string& configFile,
                  const std::string& host, int port, bool debug);

// The steps of a start by name before the engine's: the lookup, the check
// that something of the repository is here, the database's start when it is
// local. True when the engine is to start here, with `configFile` its
// configuration; false when the command ends with -1 (its message printed).
bool prepareServiceStart(const std::string& toolFolder, const std::string& name, bool debug,
                         RepositoryInstance& instance, std::string& configFile);

// How the engine is started: its program, parameters and working folder.
struct EngineStart {
  std::string executable, parameters, workingFolder;
};
// Builds the start for the settings file's concurrency and prints it, as
// every start of the engine does before it is made.
EngineStart describeEngineStart(const std::string& toolFolder, const std::string& configFile,
                                const std::string& host, int port);
