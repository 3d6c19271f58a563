// The tool's entry point: one run, one command. Starts the XML library,
// finds the tool's folder, runs the one operation that the command word,
// the argument count and the argument form select, stops the library,
// reports wrong usage, and returns the status that becomes the exit status:
// 0 without a command word, -2 for wrong usage, else the operation's own.
#pragma once

#include <string>

int runTool(int argc, char** argv);

// The steps of runTool that need neither the library's start nor the
// executable's own path, so that a test can run a command line in process.
// `argv` is laid out as the process receives it (argv[0] is the tool).
int dispatch(const std::string& toolFolder, int argc, char* const* argv);
// Prints the usage message that a status of wrong usage calls for.
void reportWrongUsage(int argc, char* const* argv, int status);
