// The commands that put a repository's service in the hands of Windows'
// Service Control Manager: "-register", "-unregister", and "-service", the
// word that the manager itself runs. On POSIX all three say that systemd's
// unit zerinctl@NAME does this there, and end with -2.
#pragma once

#include <string>

// Registers the service zerinctl-NAME for a repository of the descriptor,
// starting "auto" (at boot), "delayed" (delayed automatic) or "demand".
// 0 when it is registered, updated or already so; -1 when the repository is
// not in the descriptor, the caller lacks the right, or the system refused;
// -2 for a start type it does not know.
int registerRepository(const std::string& toolFolder, const std::string& name,
                       const std::string& user, const std::string& password,
                       const std::string& start = "auto");

// Stops the running service within its bound, then removes its registration
// and stored password. 0 also when there was none; -1 when refused.
int unregisterRepository(const std::string& toolFolder, const std::string& name);

// Runs what "-run" runs for the repository, as its service. -1, with a
// message saying how to start the service, when not started by the manager.
int serveRepository(const std::string& toolFolder, const std::string& name);
