// The two command messages the tool posts to a running service's web
// endpoint, each over a fresh HttpWrapper (its own lookup, connection and
// two attempts). Both print their outcome.
#pragma once

#include <string>

// Sends SHUTDOWN and prints the outcome. Whether the service took it: "-stop"
// leaves that to the message, "-run" ends an engine that did not.
bool shutdownService(const std::string& host, int port);

// Sends PING: kSuccess when the service answered with success, kFailure
// otherwise.
int pingService(const std::string& host, int port);

// Whether the service answers PING with success, as pingService judges it,
// without a word printed. Safe to call from several threads at once.
bool serviceAnswers(const std::string& host, int port);
