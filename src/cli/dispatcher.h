// The tool's entry point: one run, one command. Starts the XML library,
// finds the tool's folder, runs the one operation that the command word,
// the argument count and the argument form select, stops the library,
// reports wrong usage, and returns the status that becomes the exit status:
// 0 without a command word, -2 for wrong usage, else the operation's own.
#pragma once

int runTool(int argc, char** argv);
