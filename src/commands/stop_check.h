// The "-stop" and "-check" commands, by repository name (the endpoint comes
// from the descriptor) and explicit (host, port and a connection file on the
// command line). Each returns the command's status: 0 or -1. The user and
// password stand where "-start" has them and are not used.
#pragma once

#include <string>

int stopRepository(const std::string& toolFolder, const std::string& name, const std::string& user,
                   const std::string& password);
int stopServiceDirect(const std::string& toolFolder, const std::string& user,
                      const std::string& password, const std::string& host, int port,
                      const std::string& connectionFile);
int checkRepository(const std::string& toolFolder, const std::string& name, const std::string& user,
                    const std::string& password);
int checkServiceDirect(const std::string& toolFolder, const std::string& user,
                       const std::string& password, const std::string& host, int port,
                       const std::string& connectionFile);
