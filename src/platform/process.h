// Starting other programs: the engine, detached, and the installation's
// scripts, through the platform's command interpreter and waited for.
//
// Nothing here prints. A refused start returns false and leaves the system's
// reason in `error`, worded as the system words it and ending with a line
// end (empty when the system has no text for it).
#pragma once

#include <string>
#include <vector>

// What the platform runs in place of the installation's batch scripts.
struct ScriptInterpreter {
  const char* scriptSuffix;  // ".bat" on Windows, ".sh" elsewhere
  const char* program;       // "cmd.exe", "/bin/sh"
  char pathListSeparator;    // between the folders of PATH: ';' or ':'
  // cmd.exe escapes with carets; /bin/sh with backslashes, as a path is
  // written for it (see shellWord).
  bool escapesWithCarets;
};
extern const ScriptInterpreter kScriptInterpreter;

// How programs look from outside on this platform: the file name suffix of
// an executable (".exe" or ""), and the bits of an exit code that its parent
// sees (all 32 on Windows, the low 8 elsewhere).
extern const char* const kExecutableSuffix;
extern const unsigned kExitStatusMask;

// Starts `executable` detached and does not wait for it. `commandLine` is
// the whole command line as the program is to see it: on Windows handed to
// the system as it stands; elsewhere split into words as /bin/sh splits them
// (blanks separate, a backslash keeps the next character, quotes group) with
// no expansion and without running a shell, the first word becoming the
// program's own name. The child runs in `workingFolder` with the tool's
// current environment; without its own console it has no window and its
// standard streams go nowhere. No handle or zombie is left behind.
bool startDetached(const std::string& executable, const std::string& commandLine,
                   const std::string& workingFolder, bool ownConsole, std::string* error);

// Runs `command` (a script path, one space, its argument text) through the
// command interpreter: cmd.exe receives /C "command", /bin/sh receives
// -c "command". Waits without limit and stores the interpreter's exit code,
// bit for bit. False, with the reason in `error`, when the interpreter could
// not be started at all.
bool runThroughInterpreter(const std::string& command, bool showWindow, int* exitCode,
                           std::string* error);

// For tests and measurement: runs `program` with `arguments` (each passed
// as one argument), feeds it `input` on standard input, then closes it, and
// collects its standard output until it has ended (processes that it
// started may hold the pipe longer and are not waited for); standard error
// stays the caller's. Returns the exit code as the platform reports it,
// -1000 when the program could not be started, and on POSIX -1000 minus the
// signal that ended it.
int runCollectingOutput(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& input, std::string* output);
