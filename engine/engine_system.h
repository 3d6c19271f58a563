// The operating-system calls of the stand-in engine itself (its listening
// side has its own, in listener.h). Each returns true on success; on failure
// it returns false and leaves its output untouched.
#pragma once

#include <string>

// The process's current working folder, as the system spells it.
bool currentFolder(std::string* folder);

// Moves `from` to `to` in one step, replacing a file already at `to`, so that
// a reader sees either the old file or the whole new one.
bool replaceFile(const std::string& from, const std::string& to);

// Leaves a process behind. POSIX: one that outlives its own parent by a
// moment: its parent ends at once, so it is handed to the PID namespace's
// init (or the system's) and ends a tenth of a second later, to be reaped
// there. Windows, where processes have no such parents: the engine's own
// child, "vexa -linger", which runs a minute unless its job ends it.
void leaveOrphan();

// What the engine's standard input is: "null" (the null device), "console"
// (a terminal), "pipe", "file", or "none".
std::string standardInputKind();
