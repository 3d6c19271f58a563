// The "-run" command: starts a repository's service as "-start" does, but
// keeps the engine as the tool's child and stays in the foreground until the
// engine ends, so that the system's supervisor (systemd, a container
// runtime, a console) can watch it, restart it and stop it. Its output goes
// where the tool's goes.
//
// Stop requests (SIGTERM, SIGINT, SIGHUP; Ctrl-C, Ctrl-Break, the console's
// close) are caught from the command's first step. Status: 0 when the engine
// ended after a shutdown the tool asked for on a request, or when a request
// came before the engine's start, which then never comes; -1 when the engine
// ended on its own, before it ever answered, or had to be ended, when the
// database script had to be ended after a request, and when the service
// already answers (the message names its stop and the collection's
// hand-over); -3 (kCannotStart) for every failure of "-start", which ends the
// command before the engine's start.
#pragma once

#include <string>

// By name, after the steps of "-start" by name (database included).
int runRepository(const std::string& toolFolder, const std::string& name, const std::string& user,
                  const std::string& password);

// Explicit, as "-start"'s explicit forms, neither of which prints the port.
int runServiceDirect(const std::string& toolFolder, const std::string& user,
                     const std::string& password, const std::string& host, int port,
                     const std::string& connectionFile);

// How long a shut-down engine may take to end before it is ended: the
// seconds in ZERINCTL_SHUTDOWN_TIMEOUT, else 30.
int shutdownSeconds();
