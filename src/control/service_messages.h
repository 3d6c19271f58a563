// The two command messages the tool posts to a running service's web
// endpoint, each over a fresh HttpWrapper (its own lookup, connection and
// two attempts). Both print their outcome.
#pragma once

#include <string>

// Sends SHUTDOWN. The caller cannot tell success from failure: the message
// printed is the whole report.
void shutdownService(const std::string& host, int port);

// Sends PING: kSuccess when the service answered with success, kFailure
// otherwise.
int pingService(const std::string& host, int port);

// Whether the service answers PING with success, as pingService judges it,
// without a word printed. Safe to call from several threads at once.
bool serviceAnswers(const std::string& host, int port);
